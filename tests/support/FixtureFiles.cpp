#include "support/FixtureFiles.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <span>
#include <stdexcept>
#include <string_view>

#include <sys/stat.h>

namespace {

using Bytes = std::vector<unsigned char>;

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

Bytes spliced(std::initializer_list<std::span<const unsigned char>> parts)
{
    Bytes bytes;
    for (const auto part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

std::span<const unsigned char> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// As taggers write them: a Lyrics3v2 tag, which stands before an ID3v1 tag, and an APEv2 tag
// of one item with its footer (little-endian sizes, version 2000).
constexpr std::string_view lyrics3Tag = "LYRICSBEGINLYR00005Hallo000024LYRICS200";
constexpr std::string_view apeTag("\x05\0\0\0\0\0\0\0Title\0Titel"
                                  "APETAGEX\xd0\x07\0\0\x33\0\0\0\x01\0\0\0\0\0\0\0"
                                  "\0\0\0\0\0\0\0\0",
                                  51);

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

std::vector<std::pair<FixtureFiles::BrokenFile, QString>> FixtureFiles::damagedFiles()
{
    const auto sine = [](int rate, int channels) {
        return encodeMp3(sineWave(440, 0.5, rate, channels, 2 * rate),
                         {.id3v2Title = "Teil", .id3v1Title = "Teil"});
    };
    const Bytes mp3 = sine(44100, 2);
    const std::span<const unsigned char> whole(mp3);
    const std::size_t tagEnd = 10 + (mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | mp3[9]);
    const std::size_t middle = mp3.size() / 2;
    const std::size_t id3v1 = mp3.size() - 128;
    Bytes overstated = mp3; // its info frame's frame count far beyond the file's
    const std::string_view info = "Info";
    std::fill_n(std::search(overstated.begin(), overstated.end(), info.begin(), info.end()) + 8, 4,
                0x7f);
    const QString played = writeBytes(QStringLiteral("played.mp3"), mp3);
    const auto file = [&](const char* kind, const Bytes& bytes, const QString& heard = {}) {
        const QString path = writeBytes(QString::fromLatin1(kind) + ".mp3", bytes);
        return std::pair{BrokenFile{kind, path}, heard.isEmpty() ? path : heard};
    };
    return {
        file("junk in the middle",
             spliced({whole.first(middle), randomBytes(800, 8), whole.subspan(middle)})),
        file("junk after the tag",
             spliced({whole.first(tagEnd), randomBytes(300, 3), whole.subspan(tagEnd)})),
        file("two files joined", spliced({whole, whole})),
        file("a joined part at 48 kHz", spliced({whole, sine(48000, 2)}), played),
        file("a joined part in mono", spliced({whole, sine(44100, 1)}), played),
        file("cut inside a frame", {mp3.begin(), mp3.begin() + middle}),
        file("overstated frame count", overstated),
        file("APEv2 tag", spliced({whole.first(id3v1), bytesOf(apeTag), whole.subspan(id3v1)})),
        file("Lyrics3 tag",
             spliced({whole.first(id3v1), bytesOf(lyrics3Tag), whole.subspan(id3v1)})),
    };
}
