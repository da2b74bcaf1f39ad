#include "support/SignalMeasures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double powerAt(const std::vector<float>& mono, double frequency, double sampleRate)
{
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (float sample : mono) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

AudibleSpan audibleSpan(const std::vector<float>& stereo)
{
    constexpr float floor = 0.001f; // -60 dBFS
    const std::size_t frames = stereo.size() / 2;
    const auto audible = [&](std::size_t frame) {
        return std::abs(stereo[2 * frame]) >= floor || std::abs(stereo[2 * frame + 1]) >= floor;
    };
    AudibleSpan span;
    std::size_t first = 0;
    while (first < frames && !audible(first))
        ++first;
    std::size_t end = frames;
    while (end > first && !audible(end - 1))
        --end;
    span.first = first;
    span.frames = end - first;
    std::size_t gap = 0;
    for (std::size_t frame = first; frame < end; ++frame) {
        gap = audible(frame) ? 0 : gap + 1;
        span.longestGap = std::max(span.longestGap, gap);
        span.left.push_back(stereo[2 * frame]);
    }
    return span;
}
