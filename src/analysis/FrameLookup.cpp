#include "analysis/FrameLookup.h"

#include "analysis/BoundedCount.h"

std::size_t frameIndexForTime(double time, double frameDuration, std::size_t frameCount)
{
    return static_cast<std::size_t>(boundedCount(time / frameDuration, 0, frameCount - 1));
}
