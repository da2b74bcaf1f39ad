#include "Mp2Encoder.h"

#include <algorithm>
#include <memory>

#include <twolame.h>

namespace {

void closeEncoder(twolame_options* options)
{
    twolame_close(&options);
}

using TwolameHandle = std::unique_ptr<twolame_options, decltype(&closeEncoder)>;

} // namespace

std::vector<unsigned char> encodeMp2(const Pcm& pcm, int bitrateKbps)
{
    TwolameHandle encoder(twolame_init(), &closeEncoder);
    if (!encoder || pcm.channels < 1 || pcm.channels > 2)
        return {};
    twolame_set_verbosity(encoder.get(), 0);
    twolame_set_num_channels(encoder.get(), pcm.channels);
    twolame_set_in_samplerate(encoder.get(), pcm.sampleRate);
    twolame_set_out_samplerate(encoder.get(), pcm.sampleRate);
    twolame_set_mode(encoder.get(), pcm.channels == 1 ? TWOLAME_MONO : TWOLAME_JOINT_STEREO);
    twolame_set_bitrate(encoder.get(), bitrateKbps);
    if (twolame_init_params(encoder.get()) != 0)
        return {};

    constexpr int chunkFrames = 4608; // four layer II frames
    std::vector<unsigned char> out(16384);
    std::vector<unsigned char> stream;
    const std::int64_t frames = pcm.frameCount();
    for (std::int64_t start = 0; start < frames; start += chunkFrames) {
        const int count = static_cast<int>(std::min<std::int64_t>(chunkFrames, frames - start));
        const int written = twolame_encode_buffer_float32_interleaved(
            encoder.get(), pcm.samples.data() + start * pcm.channels, count, out.data(),
            static_cast<int>(out.size()));
        if (written < 0)
            return {};
        stream.insert(stream.end(), out.begin(), out.begin() + written);
    }
    const int flushed =
        twolame_encode_flush(encoder.get(), out.data(), static_cast<int>(out.size()));
    if (flushed < 0)
        return {};
    stream.insert(stream.end(), out.begin(), out.begin() + flushed);
    return stream;
}
