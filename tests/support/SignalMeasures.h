#pragma once

#include <cstddef>
#include <vector>

// Power of one frequency in a mono signal (Goertzel), for comparing frequencies with each other.
double powerAt(const std::vector<float>& mono, double frequency, double sampleRate);

// What interleaved stereo holds between its first and its last frame above -60 dBFS.
struct AudibleSpan
{
    std::size_t first = 0;
    std::size_t frames = 0;     // 0 when nothing is audible
    std::size_t longestGap = 0; // the most frames in a row below -60 dBFS on both channels
    std::vector<float> left;
};
AudibleSpan audibleSpan(const std::vector<float>& stereo);
