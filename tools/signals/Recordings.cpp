#include "signals/Recordings.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::pair<std::vector<float>, std::size_t> audiblePart(const std::vector<float>& stereo)
{
    const auto loud = [](float sample) { return std::abs(sample) >= 0.001f; };
    const auto first = std::find_if(stereo.begin(), stereo.end(), loud) - stereo.begin();
    const auto end = stereo.rend() - std::find_if(stereo.rbegin(), stereo.rend(), loud);
    std::vector<float> left;
    std::size_t gap = 0;
    std::size_t longestGap = 0;
    for (auto i = first / 2 * 2; i + 1 < end; i += 2) {
        gap = loud(stereo[i]) || loud(stereo[i + 1]) ? 0 : gap + 1;
        longestGap = std::max(longestGap, gap);
        left.push_back(stereo[i]);
    }
    return {left, longestGap};
}

std::int64_t firstFrameAbove(const std::vector<float>& stereo, float level)
{
    const auto loud = std::find_if(stereo.begin(), stereo.end(),
                                   [level](float sample) { return std::abs(sample) > level; });
    return loud == stereo.end() ? -1 : (loud - stereo.begin()) / 2;
}

std::int64_t lastFrameAbove(const std::vector<float>& stereo, float level)
{
    const auto loud = std::find_if(stereo.rbegin(), stereo.rend(),
                                   [level](float sample) { return std::abs(sample) > level; });
    return loud == stereo.rend() ? -1 : (stereo.rend() - loud - 1) / 2;
}

double rms(std::span<const float> samples)
{
    const double energy = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0);
    return std::sqrt(energy / static_cast<double>(std::max<std::size_t>(samples.size(), 1)));
}

double rmsOfLeft(const std::vector<float>& stereo, std::size_t first, std::size_t frames)
{
    std::vector<float> left;
    for (std::size_t frame = first; frame < first + frames && 2 * frame < stereo.size(); ++frame)
        left.push_back(stereo[2 * frame]);
    return rms(left);
}

std::size_t zeroCrossings(std::span<const float> samples)
{
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        crossings += (samples[i - 1] < 0.0f) != (samples[i] < 0.0f) ? 1 : 0;
    return crossings;
}

std::pair<std::size_t, double> largestStepAt(const std::vector<float>& stereo, std::size_t first,
                                             std::size_t end)
{
    std::pair<std::size_t, double> largest{first, 0.0};
    for (std::size_t frame = first + 1; frame < end && 2 * frame < stereo.size(); ++frame)
        if (const double step = std::abs(stereo[2 * frame] - stereo[2 * frame - 2]);
            step > largest.second)
            largest = {frame, step};
    return largest;
}

double largestStep(const std::vector<float>& stereo, std::size_t first, std::size_t end)
{
    return largestStepAt(stereo, first, end).second;
}

std::vector<float> windowPeaks(const std::vector<float>& stereo)
{
    constexpr std::size_t windowFrames = 441;
    std::vector<float> peaks;
    for (std::size_t start = 0; start + 2 * windowFrames <= stereo.size();
         start += 2 * windowFrames) {
        float peak = 0.0f;
        for (std::size_t i = start; i < start + 2 * windowFrames; i += 2)
            peak = std::max(peak, std::abs(stereo[i]));
        peaks.push_back(peak);
    }
    return peaks;
}
