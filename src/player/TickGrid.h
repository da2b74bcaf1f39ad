#pragma once

#include <cstdint>

// The displays' clock ticks on a grid of 1/60 s counted from its start, 16 and 17 ms apart.
// Moves `tick`, the number of the next tick, on by `step` ticks and past every tick already due
// at `elapsedMilliseconds`: ticks missed while the thread was busy are dropped rather than
// caught up, which would speed up the displays' ballistics. Gives the whole milliseconds until
// the new tick is due.
int advanceTickGrid(std::int64_t& tick, std::int64_t step, double elapsedMilliseconds);
