#pragma once

#include <algorithm>
#include <cstdint>

// The sample rate and channel count of decoded audio. The defaults stand for a format that
// could not be learnt from the file.
struct AudioFormat
{
    int sampleRate = 44100;
    int channelCount = 2;

    // How long `frames` frames play, in whole milliseconds; none for a negative count.
    int millisecondsOf(std::int64_t frames) const
    {
        return static_cast<int>(std::max<std::int64_t>(frames, 0) * 1000 / std::max(sampleRate, 1));
    }

    bool operator==(const AudioFormat&) const = default;
};
