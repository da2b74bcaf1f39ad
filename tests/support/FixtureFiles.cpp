#include "support/FixtureFiles.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <stdexcept>

#include <sys/stat.h>

namespace {

void appendLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::vector<unsigned char> randomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::vector<unsigned char> bytes(count);
    std::generate(bytes.begin(), bytes.end(),
                  [&] { return static_cast<unsigned char>(generator()); });
    return bytes;
}

} // namespace

std::vector<unsigned char> wavFile(const Pcm& pcm)
{
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    std::vector<unsigned char> bytes{'R', 'I', 'F', 'F'};
    appendLittleEndian(bytes, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(static_cast<unsigned char>(c));
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2); // PCM
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.channels), 2);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.sampleRate), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.sampleRate * pcm.channels * 2), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.channels * 2), 2);
    appendLittleEndian(bytes, 16, 2);
    for (char c : std::string("data"))
        bytes.push_back(static_cast<unsigned char>(c));
    appendLittleEndian(bytes, dataBytes, 4);
    for (float sample : pcm.samples) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767));
        appendLittleEndian(bytes, static_cast<std::uint16_t>(value), 2);
    }
    return bytes;
}

FixtureFiles::FixtureFiles()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for fixtures");
}

QString FixtureFiles::path(const QString& name) const
{
    return m_dir.filePath(name);
}

QString FixtureFiles::writeMp3(const QString& name, const Pcm& pcm, const Mp3Options& options)
{
    return writeBytes(name, encodeMp3(pcm, options));
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

std::vector<FixtureFiles::BrokenFile> FixtureFiles::unopenableFiles()
{
    const std::vector<unsigned char> mp3 = encodeMp3(sineWave(440, 0.5, 44100, 2, 44100));
    const std::string text = "Dies ist keine MP3-Datei, nur ein Text mit der Endung .mp3.\n";
    const QString fifo = path(QStringLiteral("fifo.mp3"));
    if (::mkfifo(fifo.toLocal8Bit().constData(), 0600) != 0)
        throw std::runtime_error("cannot make a FIFO");
    return {
        {"empty", writeBytes(QStringLiteral("empty.mp3"), {})},
        {"text", writeBytes(QStringLiteral("text.mp3"), {text.begin(), text.end()})},
        {"cut inside the first frame",
         writeBytes(QStringLiteral("cut-first-frame.mp3"), {mp3.begin(), mp3.begin() + 200})},
        {"random bytes", writeBytes(QStringLiteral("random.mp3"), randomBytes(65536, 20261206))},
        {"WAV named .mp3",
         writeBytes(QStringLiteral("wave.mp3"), wavFile(sineWave(440, 0.5, 44100, 2, 44100)))},
        {"FIFO", fifo},
        {"folder", m_dir.path()},
        {"device", QStringLiteral("/dev/zero")},
        {"missing", path(QStringLiteral("missing.mp3"))},
    };
}

QString FixtureFiles::cutMidway(std::int64_t* signalFrames)
{
    const Pcm pcm = sineWave(440, 0.5, 44100, 2, 2 * 44100);
    if (signalFrames)
        *signalFrames = pcm.frameCount();
    const std::vector<unsigned char> mp3 = encodeMp3(pcm);
    return writeBytes(QStringLiteral("cut-midway.mp3"),
                      {mp3.begin(), mp3.begin() + static_cast<std::ptrdiff_t>(mp3.size() / 2)});
}
