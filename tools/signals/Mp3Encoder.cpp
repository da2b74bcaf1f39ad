#include "Mp3Encoder.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>

#include <lame/lame.h>

namespace {

using Bytes = std::vector<unsigned char>;

void appendBigEndian32(Bytes& bytes, std::uint32_t value, bool syncSafe)
{
    for (int shift = 3; shift >= 0; --shift) {
        const int bits = syncSafe ? 7 : 8;
        bytes.push_back(static_cast<unsigned char>((value >> (shift * bits)) & ((1u << bits) - 1)));
    }
}

void appendLittleEndian32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>(value >> shift));
}

void appendTextFrame(Bytes& frames, const char (&id)[5], const std::string& text)
{
    frames.insert(frames.end(), id, id + 4);
    appendBigEndian32(frames, static_cast<std::uint32_t>(text.size() + 1), true);
    frames.insert(frames.end(), {0, 0, 3}); // no flags, UTF-8
    frames.insert(frames.end(), text.begin(), text.end());
}

Bytes id3v2Tag(const Mp3Options& options)
{
    Bytes frames;
    if (options.id3v2Title)
        appendTextFrame(frames, "TIT2", *options.id3v2Title);
    for (const auto& [description, text] : options.id3v2Extras)
        appendTextFrame(frames, "TXXX", description + '\0' + text);

    Bytes tag{'I', 'D', '3', 4, 0, 0};
    appendBigEndian32(tag, static_cast<std::uint32_t>(frames.size()), true);
    tag.insert(tag.end(), frames.begin(), frames.end());
    return tag;
}

// Its items and the footer; the header before them is optional.
Bytes apeTag(const std::vector<std::pair<std::string, std::string>>& items)
{
    Bytes tag;
    for (const auto& [key, text] : items) {
        appendLittleEndian32(tag, static_cast<std::uint32_t>(text.size()));
        appendLittleEndian32(tag, 0); // a text item
        tag.insert(tag.end(), key.begin(), key.end());
        tag.push_back(0);
        tag.insert(tag.end(), text.begin(), text.end());
    }
    const auto size = static_cast<std::uint32_t>(tag.size() + 32);
    tag.insert(tag.end(), {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'});
    for (const std::uint32_t field : {2000u, size, static_cast<std::uint32_t>(items.size()), 0u})
        appendLittleEndian32(tag, field);
    tag.resize(tag.size() + 8); // reserved
    return tag;
}

Bytes id3v1Tag(const std::string& latin1Title)
{
    Bytes tag(128, ' ');
    std::copy_n("TAG", 3, tag.begin());
    std::copy_n(latin1Title.begin(), std::min<std::size_t>(latin1Title.size(), 30),
                tag.begin() + 3);
    tag[127] = 255; // no genre
    return tag;
}

using LameHandle = std::unique_ptr<lame_global_flags, decltype(&lame_close)>;

bool writesTagWithLame(const Mp3Options& options)
{
    return options.artist || options.album || !options.frontCover.empty();
}

void setLameTag(lame_global_flags* lame, const Mp3Options& options)
{
    id3tag_init(lame);
    id3tag_v2_only(lame);
    if (options.id3v2Title)
        id3tag_set_title(lame, options.id3v2Title->c_str());
    if (options.artist)
        id3tag_set_artist(lame, options.artist->c_str());
    if (options.album)
        id3tag_set_album(lame, options.album->c_str());
    if (!options.frontCover.empty())
        id3tag_set_albumart(lame, reinterpret_cast<const char*>(options.frontCover.data()),
                            options.frontCover.size());
}

Bytes lameId3v2Tag(lame_global_flags* lame)
{
    Bytes tag(lame_get_id3v2_tag(lame, nullptr, 0));
    tag.resize(lame_get_id3v2_tag(lame, tag.data(), tag.size()));
    return tag;
}

LameHandle configuredEncoder(const Pcm& pcm, const Mp3Options& options)
{
    LameHandle lame(lame_init(), &lame_close);
    if (!lame)
        return lame;
    lame_set_in_samplerate(lame.get(), pcm.sampleRate);
    lame_set_out_samplerate(lame.get(), pcm.sampleRate);
    lame_set_num_channels(lame.get(), pcm.channels);
    lame_set_mode(lame.get(), pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), options.bitrateKbps);
    lame_set_free_format(lame.get(), options.freeFormat ? 1 : 0);
    lame_set_quality(lame.get(), options.quality);
    lame_set_bWriteVbrTag(lame.get(), 1);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    lame_set_findReplayGain(lame.get(), options.lameReplayGain ? 1 : 0);
    lame_set_decode_on_the_fly(lame.get(), options.lameReplayGain ? 1 : 0);
    if (writesTagWithLame(options))
        setLameTag(lame.get(), options);
    if (lame_init_params(lame.get()) < 0)
        lame.reset();
    return lame;
}

bool encodeStream(lame_global_flags* lame, const Pcm& pcm, Bytes& stream)
{
    constexpr int chunkFrames = 8192;
    std::vector<float> left(chunkFrames);
    std::vector<float> right(chunkFrames);
    Bytes out(chunkFrames * 5 / 4 + 7200);
    const std::int64_t frames = pcm.frameCount();
    for (std::int64_t start = 0; start < frames; start += chunkFrames) {
        const int count = static_cast<int>(std::min<std::int64_t>(chunkFrames, frames - start));
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>((start + i) * pcm.channels);
            left[i] = pcm.samples[at];
            right[i] = pcm.channels > 1 ? pcm.samples[at + 1] : pcm.samples[at];
        }
        const int written = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), count,
                                                          out.data(), static_cast<int>(out.size()));
        if (written < 0)
            return false;
        stream.insert(stream.end(), out.begin(), out.begin() + written);
    }
    const int flushed = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
    if (flushed < 0)
        return false;
    stream.insert(stream.end(), out.begin(), out.begin() + flushed);
    return true;
}

} // namespace

Bytes encodeMp3(const Pcm& pcm, const Mp3Options& options)
{
    LameHandle lame = configuredEncoder(pcm, options);
    Bytes stream;
    if (!lame || !encodeStream(lame.get(), pcm, stream))
        return {};

    // The first frame was written as a placeholder; LAME now knows the delay, padding and
    // length that let a decoder return exactly the input's samples.
    unsigned char tagFrame[2880];
    const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tagFrame, sizeof tagFrame);
    if (tagSize > 0 && tagSize <= stream.size())
        std::copy_n(tagFrame, tagSize, stream.begin());

    Bytes file = writesTagWithLame(options)                           ? lameId3v2Tag(lame.get())
                 : options.id3v2Title || !options.id3v2Extras.empty() ? id3v2Tag(options)
                                                                      : Bytes{};
    file.insert(file.end(), stream.begin(), stream.end());
    if (!options.apeItems.empty()) {
        const Bytes tag = apeTag(options.apeItems);
        file.insert(file.end(), tag.begin(), tag.end());
    }
    if (options.id3v1Title) {
        const Bytes tag = id3v1Tag(*options.id3v1Title);
        file.insert(file.end(), tag.begin(), tag.end());
    }
    return file;
}

bool writeMp3(const Pcm& pcm, const std::string& path, const Mp3Options& options)
{
    const Bytes bytes = encodeMp3(pcm, options);
    if (bytes.empty())
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
