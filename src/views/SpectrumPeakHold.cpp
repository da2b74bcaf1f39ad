#include "views/SpectrumPeakHold.h"

#include "views/Limits.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double fallPerUpdate = 1.0 / 60.0;

} // namespace

std::vector<double> peakHoldLevelsFrom(const std::vector<double>& peaks,
                                       const std::vector<float>& levels)
{
    std::vector<double> result(std::max(peaks.size(), levels.size()));
    for (std::size_t i = 0; i < result.size(); ++i) {
        const double peak = i < peaks.size() ? peaks[i] : 0.0;
        const double level = i < levels.size() ? levels[i] : 0.0;
        const double next = level >= peak ? level : std::fmax(peak - fallPerUpdate, level);
        result[i] = limitedTo(next, 0.0, 1.0);
    }
    return result;
}
