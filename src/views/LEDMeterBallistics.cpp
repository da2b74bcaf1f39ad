#include "views/LEDMeterBallistics.h"

#include "analysis/BassMeterFrames.h"

#include <cmath>

namespace {

constexpr float dropOutDB = -59.5f;
constexpr float releasePerUpdateDB = 1.3333334f;
constexpr float peakFallPerUpdateDB = 0.16666667f;

} // namespace

// std::fmax picks the number when the target is NaN, which is the documented fall.
float smoothedLevelFrom(float current, float target)
{
    if (target <= dropOutDB)
        return silenceDecibels;
    if (target >= current)
        return target;
    return std::fmax(current - releasePerUpdateDB, target);
}

float peakHoldLevelFrom(float peak, float target)
{
    if (target <= dropOutDB)
        target = silenceDecibels;
    if (target >= peak)
        return target;
    return std::fmax(peak - peakFallPerUpdateDB, target);
}
