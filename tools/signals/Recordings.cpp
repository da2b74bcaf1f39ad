#include "signals/Recordings.h"

#include <algorithm>
#include <cmath>

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
