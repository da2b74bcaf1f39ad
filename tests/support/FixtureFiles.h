#pragma once

#include "signals/Mp3Encoder.h"

#include <vector>

#include <QString>
#include <QTemporaryDir>

// Audio files made at test time in a private temporary folder: MP3s encoded from known
// signals, and files that are broken in the ways real collections are.
class FixtureFiles
{
public:
    struct BrokenFile
    {
        const char* kind;
        QString path;
    };

    FixtureFiles();

    QString path(const QString& name) const;
    QString writeMp3(const QString& name, const Pcm& pcm, const Mp3Options& options = {});
    QString writeBytes(const QString& name, const std::vector<unsigned char>& bytes);

    // Files that no decoder may open: empty, text, cut inside the first frame, random bytes,
    // a WAV named .mp3, a FIFO, a folder, a device and a path that does not exist.
    std::vector<BrokenFile> unopenableFiles();
    // Files with junk, damage, a second file or another tag inside, as real collections have
    // them, each with the file whose whole length `mpg123` plays of it: itself, or for a joined
    // part in another format, the part before it.
    std::vector<std::pair<BrokenFile, QString>> damagedFiles();

private:
    QTemporaryDir m_dir;
};

// A canonical 16-bit PCM WAV file of the signal.
std::vector<unsigned char> wavFile(const Pcm& pcm);
