#include "player/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

// A screen of 1024 × 600 whose panel takes the top 24 pixels.
const QRect area(0, 24, 1024, 576);

TEST(WindowPlacementTest, AFrameThatFitsStaysAndOneThatDoesNotMovesInByAsLittleAsItTakes)
{
    EXPECT_EQ(positionInside(QRect(100, 100, 340, 300), area), QPoint(100, 100));
    EXPECT_EQ(positionInside(QRect(400, 100, 836, 500), area), QPoint(188, 100)); // 1024 − 836
    EXPECT_EQ(positionInside(QRect(-50, 0, 340, 300), area), QPoint(0, 24));
    // Larger than the area: its top-left corner stays reachable.
    EXPECT_EQ(positionInside(QRect(300, 300, 1200, 700), area), QPoint(0, 24));
}

TEST(WindowPlacementTest, TheQueueGoesUnderThePlayerElseAboveItElseToTheScreensLowerEdge)
{
    const QSize queue(300, 200);
    EXPECT_EQ(positionNextTo(QRect(100, 50, 340, 200), queue, 8, area), QPoint(120, 258));
    EXPECT_EQ(positionNextTo(QRect(100, 350, 340, 200), queue, 8, area), QPoint(120, 142));
    EXPECT_EQ(positionNextTo(QRect(0, 60, 340, 400), queue, 8, area), QPoint(20, 400));
    // Centred under a player at the screen's right edge, it is kept on the screen too.
    EXPECT_EQ(positionNextTo(QRect(900, 50, 124, 200), queue, 8, area).x(), 724);
}

} // namespace
