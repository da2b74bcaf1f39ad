#include "DecoderCorpus.h"

#include "signals/Mp2Encoder.h"
#include "signals/Mp3Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <span>
#include <string_view>
#include <utility>

namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<unsigned char>;
using Verdict = CorpusFile::Verdict;

CorpusFile corpusFile(std::string name, Bytes bytes, Verdict verdict = Verdict::AsMpg123,
                      std::size_t heardBytes = 0, std::string title = {})
{
    return {std::move(name), std::move(bytes), verdict, heardBytes, std::move(title)};
}

Mp3Options bitrate(int kbps, bool freeFormat = false)
{
    Mp3Options options;
    options.bitrateKbps = kbps;
    options.freeFormat = freeFormat;
    return options;
}

Bytes randomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes(count);
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

void appendLittleEndian(Bytes& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Seven bits a byte, most significant first, as ID3v2.4 stores its sizes.
void appendSyncSafe(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes.push_back(static_cast<unsigned char>((value >> shift) & 0x7f));
}

Bytes id3Frame(std::string_view id, std::span<const unsigned char> body)
{
    Bytes frame(bytesOf(id).begin(), bytesOf(id).end());
    appendSyncSafe(frame, static_cast<std::uint32_t>(body.size()));
    frame.insert(frame.end(), {0, 0});
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

// A title frame: the text encoding byte (1 UTF-16 with byte order mark, 3 UTF-8), then the text.
Bytes titleFrame(unsigned char encoding, std::span<const unsigned char> text)
{
    return id3Frame("TIT2", spliced({std::span(&encoding, 1), text}));
}

// An ID3v2.4 tag of the frames, whose header states `statedSize` (the true size by default).
Bytes id3Tag(std::initializer_list<std::span<const unsigned char>> frames,
             std::int64_t statedSize = -1)
{
    const Bytes body = spliced(frames);
    Bytes tag{'I', 'D', '3', 4, 0, 0};
    appendSyncSafe(tag, static_cast<std::uint32_t>(statedSize >= 0 ? statedSize : body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

std::size_t id3TagEnd(const Bytes& mp3)
{
    if (mp3.size() < 10 || !std::equal(mp3.begin(), mp3.begin() + 3, "ID3"))
        return 0;
    return 10 + (mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | mp3[9]);
}

// Stereo 440 Hz at 44.1 kHz and 128 kbps, without tags.
Bytes plainMp3(double seconds)
{
    return encodeMp3(sineWave(440, 0.5, 44100, 2, std::llround(seconds * 44100)));
}

Bytes taggedMp3(int rate, int channels, double seconds)
{
    Mp3Options options;
    options.id3v2Title = "Teil";
    options.id3v1Title = "Teil";
    return encodeMp3(sineWave(440, 0.5, rate, channels, std::llround(seconds * rate)), options);
}

// The file with bytes of its info frame replaced from `offset` on, counted from its "Info".
Bytes withInfoFrameBytes(Bytes mp3, std::size_t offset, std::string_view bytes)
{
    const std::string_view info = "Info";
    std::copy(bytes.begin(), bytes.end(),
              std::search(mp3.begin(), mp3.end(), info.begin(), info.end()) +
                  static_cast<std::ptrdiff_t>(offset));
    return mp3;
}

// Bytes in which every other byte opens an MPEG sync word.
Bytes syncWordStorm(std::size_t count, std::uint32_t seed)
{
    Bytes bytes = randomBytes(count, seed);
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        bytes[i] = 0xff;
        bytes[i + 1] |= 0xe0;
    }
    return bytes;
}

// The first audio frame's header again and again, each followed by a frame's length of noise.
Bytes headerStorm(const Bytes& mp3, int frames)
{
    const std::size_t start = id3TagEnd(mp3);
    // 128 kbps at 44.1 kHz: 417 bytes a frame, without padding.
    constexpr std::size_t frameBytes = 417;
    const Bytes noise = randomBytes(frameBytes - 4, 5);
    Bytes storm;
    for (int i = 0; i < frames; ++i) {
        storm.insert(storm.end(), mp3.begin() + start, mp3.begin() + start + 4);
        storm.back() &= 0xfd; // no padding bit: every frame of the same length
        storm.insert(storm.end(), noise.begin(), noise.end());
    }
    return storm;
}

std::vector<unsigned char> wavFile(const Pcm& pcm)
{
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    Bytes bytes(bytesOf("RIFF").begin(), bytesOf("RIFF").end());
    appendLittleEndian(bytes, 36 + dataBytes, 4);
    bytes.insert(bytes.end(), bytesOf("WAVEfmt ").begin(), bytesOf("WAVEfmt ").end());
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2); // PCM
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.channels), 2);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.sampleRate), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.sampleRate * pcm.channels * 2), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(pcm.channels * 2), 2);
    appendLittleEndian(bytes, 16, 2);
    bytes.insert(bytes.end(), bytesOf("data").begin(), bytesOf("data").end());
    appendLittleEndian(bytes, dataBytes, 4);
    for (const float sample : pcm.samples) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767));
        appendLittleEndian(bytes, static_cast<std::uint16_t>(value), 2);
    }
    return bytes;
}

// As taggers write them: a Lyrics3v2 tag, which stands before an ID3v1 tag, and an APEv2 tag
// of one item with its footer (little-endian sizes, version 2000).
constexpr std::string_view lyrics3Tag = "LYRICSBEGINLYR00005Hallo000024LYRICS200";
constexpr std::string_view apeTag("\x05\0\0\0\0\0\0\0Title\0Titel"
                                  "APETAGEX\xd0\x07\0\0\x33\0\0\0\x01\0\0\0\0\0\0\0"
                                  "\0\0\0\0\0\0\0\0",
                                  51);

// A title of `length` characters, most of them outside ASCII.
std::string longTitle(std::size_t length)
{
    const std::u32string pattern = U"Überlänge 東京 ";
    std::string title;
    for (std::size_t i = 0; i < length; ++i) {
        const char32_t c = pattern[i % pattern.size()];
        if (c < 0x80) {
            title += static_cast<char>(c);
        } else if (c < 0x800) {
            title += static_cast<char>(0xc0 | (c >> 6));
            title += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            title += static_cast<char>(0xe0 | (c >> 12));
            title += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
            title += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return title;
}

std::vector<CorpusFile> tagFiles()
{
    const Bytes mp3 = plainMp3(1.0);
    const std::string big = "Großes Etikett";
    const std::string lengthy = longTitle(10000);
    const Bytes privateData =
        spliced({bytesOf(std::string_view("kassolin\0", 9)), randomBytes(5 * 1024 * 1024, 55)});
    const Bytes hidden = id3Frame("PRIV", randomBytes(600, 60));
    const Bytes shortTitle = titleFrame(3, bytesOf("Kurz"));
    // Latin-1 bytes, a stray continuation byte and a sequence cut short, declared UTF-8.
    const std::string_view badUtf8 = "Caf\xe9 \x80 \xff\xfe Ende \xe2\x82";
    // A byte order mark, a lone high surrogate, a lone low one and an odd byte at the end.
    const std::string_view badUtf16("\xff\xfeK\0\x00\xd8O\0\x00\xdcQ", 11);
    const auto file = [&](std::string name, const Bytes& tag, std::string title = {}) {
        return corpusFile(std::move(name), spliced({tag, mp3}), Verdict::AsMpg123, 0,
                          std::move(title));
    };
    return {
        file("id3 tag of 5 MB.mp3",
             id3Tag({id3Frame("PRIV", privateData), titleFrame(3, bytesOf(big))}), big),
        file("id3 size beyond the end.mp3", id3Tag({shortTitle}, 100 * 1024 * 1024)),
        file("id3 size too short.mp3", id3Tag({shortTitle, hidden}, 16)),
        file("id3 title of 10000 characters.mp3", id3Tag({titleFrame(3, bytesOf(lengthy))}),
             lengthy),
        file("id3 title in invalid utf-8.mp3", id3Tag({titleFrame(3, bytesOf(badUtf8))})),
        file("id3 title in invalid utf-16.mp3", id3Tag({titleFrame(1, bytesOf(badUtf16))})),
    };
}

std::vector<CorpusFile> rareFormatFiles()
{
    const auto sine = [](int rate, int channels) {
        return sineWave(440, 0.5, rate, channels, rate);
    };
    return {
        corpusFile("free format 200 kbps.mp3", encodeMp3(sine(44100, 2), bitrate(200, true))),
        corpusFile("mpeg-2.5 8 kHz mono.mp3", encodeMp3(sine(8000, 1), bitrate(16))),
        corpusFile("mpeg-2.5 11025 Hz stereo.mp3", encodeMp3(sine(11025, 2), bitrate(32))),
        corpusFile("mpeg-2.5 12 kHz stereo.mp3", encodeMp3(sine(12000, 2), bitrate(32))),
        corpusFile("layer ii 44.1 kHz stereo.mp3", encodeMp2(sine(44100, 2), 192)),
        corpusFile("layer ii 48 kHz mono.mp3", encodeMp2(sine(48000, 1), 96)),
        corpusFile("layer ii mpeg-2 24 kHz stereo.mp3", encodeMp2(sine(24000, 2), 64)),
    };
}

// The fuzzer's third find with every byte zeroed that it did not need: frame headers of an
// MPEG-2 layer III stream at 22.05 kHz, the first an info frame announcing 12 frames and a
// padding of 768, with MPEG-1 layer II headers (1152 samples a frame, at 44.1 and 32 kHz)
// among its own (576). Gapless decoding runs past the length the scan counts.
Bytes layerIIFramesInAnMpeg2Stream()
{
    const std::pair<std::size_t, std::string_view> bytes[] = {
        {0, "\xff\xf3\x80"sv},    {21, "Info\0\0\0\x0f"sv},
        {32, "\x0c"sv},           {141, "L"sv},
        {163, "\x03"sv},          {208, "\xff\xf3\x80"sv},
        {416, "\xff\xf3\x82"sv},  {626, "\xff\xf3\x82"sv},
        {835, "\xff\xfd\x33"sv},  {1020, "\xff\xfd\x2a"sv},
        {1240, "\xff\xfd\x2a"sv}, {1458, "\xff\xfd\x2a"sv},
        {1675, "\xff\xf3\x82"sv}};
    Bytes stream(1884, 0);
    for (const auto& [offset, part] : bytes)
        std::copy(part.begin(), part.end(), stream.begin() + static_cast<std::ptrdiff_t>(offset));
    return stream;
}

std::vector<CorpusFile> stormFiles()
{
    const Bytes mp3 = taggedMp3(44100, 2, 3.0);
    const Bytes mono = taggedMp3(44100, 1, 1.0);
    const std::span<const unsigned char> whole(mp3);
    const Bytes withoutInfo = withInfoFrameBytes(mp3, 0, "None"); // no longer an info frame
    const std::span<const unsigned char> unannounced(withoutInfo);
    const Bytes tableless = withInfoFrameBytes(mp3, 7, "\x09");
    const std::size_t middle = mp3.size() / 2;
    return {
        corpusFile("sync-word storm.mp3", syncWordStorm(65536, 11)),
        corpusFile("sync-word storm before the audio.mp3",
                   spliced({syncWordStorm(16384, 12), whole})),
        corpusFile("frame header storm.mp3", headerStorm(mp3, 400)),
        // Two false layer I headers and a third cut short by the end of the file, as the fuzzer
        // left it: decoded after a scan, it once played though `mpg123` plays nothing of it.
        corpusFile("layer i frame cut short.mp3",
                   {0xff, 0xff, 0x55, 0x01, 0xff, 0xff, 0x55, 0xff, 0xff, 0xff, 0x03, 0x55, 0x55,
                    0xff, 0xff, 0x03, 0x55}),
        // Cut, and its info frame's flags say it has no seek table: the LAME tag is looked for
        // in the wrong place, and decoding trims a padding that the scan counts (the fuzzer's
        // second find).
        corpusFile("info frame without its table, cut.mp3",
                   {tableless.begin(), tableless.begin() + tableless.size() * 2 / 3}),
        corpusFile("layer ii frames in an mpeg-2 stream.mp3", layerIIFramesInAnMpeg2Stream()),
        // A few frames in another channel count in the middle of a file whose length is not
        // announced, the shape of what the fuzzer found first: a track is as long as it plays.
        corpusFile(
            "frames of a mono file in the middle.mp3",
            spliced({unannounced.first(middle), std::span(mono).subspan(mono.size() / 2, 1300),
                     unannounced.subspan(middle)})),
        corpusFile(
            "garbage of 256 kB in the middle.mp3",
            spliced({whole.first(middle), randomBytes(256 * 1024, 13), whole.subspan(middle)})),
    };
}

// One tagged file cut inside its tag, at the first frame's header, and at 24 places after.
std::vector<CorpusFile> cutFiles()
{
    const Bytes mp3 = taggedMp3(44100, 2, 1.0);
    const std::size_t tagEnd = id3TagEnd(mp3);
    std::vector<std::size_t> cuts = {1, 9, tagEnd - 1, tagEnd, tagEnd + 4};
    for (std::size_t i = 1; i <= 24; ++i)
        cuts.push_back(tagEnd + (mp3.size() - tagEnd) * i / 25);
    std::vector<CorpusFile> files;
    for (const std::size_t cut : cuts)
        files.push_back(corpusFile("cut at byte " + std::to_string(cut) + ".mp3",
                                   {mp3.begin(), mp3.begin() + static_cast<std::ptrdiff_t>(cut)}));
    return files;
}

} // namespace

std::vector<CorpusFile> notMpegFiles()
{
    const Bytes mp3 = encodeMp3(sineWave(440, 0.5, 44100, 2, 44100));
    const std::string_view text = "Dies ist keine MP3-Datei, nur ein Text mit der Endung .mp3.\n";
    const auto refused = [](std::string name, Bytes bytes) {
        return corpusFile(std::move(name), std::move(bytes), Verdict::Refused);
    };
    return {
        refused("empty.mp3", {}),
        refused("text.mp3", {bytesOf(text).begin(), bytesOf(text).end()}),
        refused("cut inside the first frame.mp3", {mp3.begin(), mp3.begin() + 200}),
        refused("random bytes.mp3", randomBytes(65536, 20261206)),
        refused("zeros.mp3", Bytes(65536, 0)),
        refused("wave.mp3", wavFile(sineWave(440, 0.5, 44100, 2, 44100))),
    };
}

std::vector<CorpusFile> damagedFiles()
{
    const Bytes mp3 = taggedMp3(44100, 2, 2.0);
    const std::span<const unsigned char> whole(mp3);
    const std::size_t tagEnd = id3TagEnd(mp3);
    const std::size_t middle = mp3.size() / 2;
    const std::size_t id3v1 = mp3.size() - 128;
    // Its info frame's frame count far beyond the file's.
    const Bytes overstated = withInfoFrameBytes(mp3, 8, "\x7f\x7f\x7f\x7f");
    const auto file = [&](std::string name, Bytes bytes, std::size_t heardBytes = 0) {
        return corpusFile(std::move(name), std::move(bytes), Verdict::AsMpg123, heardBytes);
    };
    return {
        file("junk in the middle.mp3",
             spliced({whole.first(middle), randomBytes(800, 8), whole.subspan(middle)})),
        file("junk after the tag.mp3",
             spliced({whole.first(tagEnd), randomBytes(300, 3), whole.subspan(tagEnd)})),
        file("two files joined.mp3", spliced({whole, whole})),
        file("a joined part at 48 kHz.mp3", spliced({whole, taggedMp3(48000, 2, 2.0)}), mp3.size()),
        file("a joined part in mono.mp3", spliced({whole, taggedMp3(44100, 1, 2.0)}), mp3.size()),
        file("cut inside a frame.mp3", {mp3.begin(), mp3.begin() + middle}),
        file("overstated frame count.mp3", overstated),
        file("APEv2 tag.mp3", spliced({whole.first(id3v1), bytesOf(apeTag), whole.subspan(id3v1)})),
        file("Lyrics3 tag.mp3",
             spliced({whole.first(id3v1), bytesOf(lyrics3Tag), whole.subspan(id3v1)})),
    };
}

std::vector<CorpusFile> hostileFiles()
{
    std::vector<CorpusFile> files = stormFiles();
    for (auto&& group : {tagFiles(), rareFormatFiles(), cutFiles()})
        files.insert(files.end(), group.begin(), group.end());
    return files;
}

std::vector<CorpusFile> wellFormedFiles()
{
    std::vector<CorpusFile> files;
    for (const int rate : {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000}) {
        // A quarter second of the tune, from its second second: notes and a bass line.
        const Pcm stereo = framesOf(demoTune(rate), rate, rate + rate / 4);
        Pcm mono{rate, 1, {}};
        for (std::size_t i = 0; i < stereo.samples.size(); i += 2)
            mono.samples.push_back(stereo.samples[i]);
        for (const Pcm* pcm : {&std::as_const(mono), &stereo})
            files.push_back(corpusFile(std::to_string(rate) + " Hz " +
                                           std::to_string(pcm->channels) + " ch.mp3",
                                       encodeMp3(*pcm, bitrate(rate < 32000 ? 64 : 128))));
    }
    return files;
}
