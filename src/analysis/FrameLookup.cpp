#include "analysis/FrameLookup.h"

#include <cmath>

std::size_t frameIndexForTime(double time, double frameDuration, std::size_t frameCount)
{
    const double position = time / frameDuration;
    if (!(position > 0.0))
        return 0;
    if (position >= static_cast<double>(frameCount - 1))
        return frameCount - 1;
    return static_cast<std::size_t>(std::floor(position));
}
