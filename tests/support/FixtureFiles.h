#pragma once

#include "corpus/DecoderCorpus.h"
#include "signals/Mp3Encoder.h"

#include <vector>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Audio files made at test time in a private temporary folder: MP3s encoded from known
// signals, and the decoder corpus of files that are broken in the ways real collections are,
// or worse.
class FixtureFiles
{
public:
    struct BrokenFile
    {
        const char* kind;
        QString path;
    };

    FixtureFiles();
    ~FixtureFiles();

    QString path(const QString& name) const;
    QString writeMp3(const QString& name, const Pcm& pcm, const Mp3Options& options = {});
    // A 440 Hz sine at half scale, in stereo at 44.1 kHz.
    QString writeSine(const QString& name, double seconds);
    QString writeBytes(const QString& name, const std::vector<unsigned char>& bytes);
    // The file under its name.
    QString write(const CorpusFile& file);
    // The part of the file whose sound the player plays, under another name.
    QString writeHeardPart(const CorpusFile& file);

    // Paths that name no file a decoder may open: a FIFO, a folder, a device, a link named
    // .mp3 to a device, a path that does not exist, and a name of bytes that are not UTF-8,
    // which the program cannot name again.
    std::vector<BrokenFile> unopenablePaths();

private:
    QTemporaryDir m_dir;
    // A name the folder's removal cannot name, so it is removed by its bytes.
    QByteArray m_undecodableName;
};

// Every file of the decoder corpus.
std::vector<CorpusFile> decoderCorpus();

// The number of frames `mpg123` plays of the file, in a channel count forced to `channels`, so
// that frames in another channel count are counted by their length too.
qint64 mpg123FrameCount(const QString& path, int channels);
