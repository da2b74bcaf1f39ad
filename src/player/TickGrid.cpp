#include "player/TickGrid.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double tickMilliseconds = 1000.0 / 60.0;

} // namespace

int advanceTickGrid(std::int64_t& tick, std::int64_t step, double elapsedMilliseconds)
{
    tick = std::max(tick + step,
                    static_cast<std::int64_t>(elapsedMilliseconds / tickMilliseconds) + step);
    return static_cast<int>(
        std::ceil(static_cast<double>(tick) * tickMilliseconds - elapsedMilliseconds));
}
