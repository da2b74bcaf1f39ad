#include "player/TickGrid.h"

#include <gtest/gtest.h>

namespace {

TEST(TickGridTest, StepsOnTheSixtiethsAndDropsTicksMissedWhileBusy)
{
    std::int64_t tick = 0;
    EXPECT_EQ(advanceTickGrid(tick, 1, 0.0), 17);
    EXPECT_EQ(tick, 1);
    // Called a little late for tick 1, the next one still falls on the grid: 33.3 ms.
    EXPECT_EQ(advanceTickGrid(tick, 1, 18.0), 16);
    EXPECT_EQ(tick, 2);
    // Busy until 101 ms, past tick 6: ticks 3 to 6 are dropped, not fired at once.
    EXPECT_EQ(advanceTickGrid(tick, 1, 101.0), 16);
    EXPECT_EQ(tick, 7);
    // Minimized, thirty ticks at a time from the last one.
    EXPECT_EQ(advanceTickGrid(tick, 30, 117.0), 500);
    EXPECT_EQ(tick, 37);
}

} // namespace
