#include "support/FixtureFiles.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

FixtureFiles::FixtureFiles()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for fixtures");
}

FixtureFiles::~FixtureFiles()
{
    if (!m_undecodableName.isEmpty())
        ::unlink(m_undecodableName.constData());
}

QString FixtureFiles::path(const QString& name) const
{
    return m_dir.filePath(name);
}

QString FixtureFiles::writeMp3(const QString& name, const Pcm& pcm, const Mp3Options& options)
{
    return writeBytes(name, encodeMp3(pcm, options));
}

QString FixtureFiles::writeSine(const QString& name, double seconds)
{
    return writeMp3(name, sineWave(440, 0.5, 44100, 2, std::llround(seconds * 44100)));
}

QString FixtureFiles::writeBytes(const QString& name, const std::vector<unsigned char>& bytes)
{
    const QString filePath = path(name);
    std::ofstream file(filePath.toStdString(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write fixture " + filePath.toStdString());
    return filePath;
}

QString FixtureFiles::write(const CorpusFile& file)
{
    return writeBytes(QString::fromStdString(file.name), file.bytes);
}

QString FixtureFiles::writeHeardPart(const CorpusFile& file)
{
    if (file.heardBytes == 0)
        return write(file);
    return writeBytes(QStringLiteral("heard part of ") + QString::fromStdString(file.name),
                      {file.bytes.begin(), file.bytes.begin() + file.heardBytes});
}

std::vector<FixtureFiles::BrokenFile> FixtureFiles::unopenablePaths()
{
    const QString fifo = path(QStringLiteral("fifo.mp3"));
    const QString deviceLink = path(QStringLiteral("zero.mp3"));
    m_undecodableName = QFile::encodeName(path(QStringLiteral("caf"))) + "\xe9.mp3";
    if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0 ||
        !QFile::link(QStringLiteral("/dev/zero"), deviceLink) ||
        !std::ofstream(m_undecodableName.constData()).put('x'))
        throw std::runtime_error("cannot make the unopenable fixtures");
    return {
        {"FIFO", fifo},
        {"folder", m_dir.path()},
        {"device", QStringLiteral("/dev/zero")},
        {"link to a device", deviceLink},
        {"missing", path(QStringLiteral("missing.mp3"))},
        {"name that is not UTF-8", QFile::decodeName(m_undecodableName)},
    };
}

std::vector<CorpusFile> decoderCorpus()
{
    std::vector<CorpusFile> files;
    for (auto&& group : {notMpegFiles(), damagedFiles(), hostileFiles(), wellFormedFiles()})
        files.insert(files.end(), group.begin(), group.end());
    return files;
}

qint64 mpg123FrameCount(const QString& path, int channels)
{
    QProcess mpg123;
    mpg123.start(QStringLiteral("mpg123"),
                 {"-q", "-e", "f32", "-s", channels == 1 ? "--mono" : "--stereo", path});
    if (!mpg123.waitForFinished(60000))
        throw std::runtime_error("mpg123 did not finish");
    return mpg123.readAllStandardOutput().size() / 4 / channels;
}
