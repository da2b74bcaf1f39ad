#include "views/ScrubberGeometry.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

TEST(ScrubberGeometry, ValueIsTheShareOfTheWidthWithinZeroToOne)
{
    const struct
    {
        double x;
        double width;
        double value;
    } cases[] = {{50.0, 200.0, 0.25}, {0.0, 200.0, 0.0},        {200.0, 200.0, 1.0},
                 {-10.0, 200.0, 0.0}, {250.0, 200.0, 1.0},      {30.0, 0.0, 0.0},
                 {30.0, -5.0, 0.0},   {notANumber, 200.0, 0.0}, {30.0, notANumber, 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(scrubberValueForX(c.x, c.width), c.value) << c.x << " of " << c.width;
}

TEST(ScrubberGeometry, KnobSitsOnTheEndOfTheFillAcrossTheWholeHeight)
{
    const ScrubberShapes shapes = scrubberShapes({200.0, 10.0}, 0.5);
    EXPECT_EQ(shapes.track, QRectF(0, 1, 200, 8));
    EXPECT_EQ(shapes.fill, QRectF(0, 1, 100, 8));
    EXPECT_EQ(shapes.knob, QRectF(98, 0, 4, 10));
}

TEST(ScrubberGeometry, AtTheEndsTheKnobHangsHalfOutside)
{
    EXPECT_EQ(scrubberShapes({200.0, 10.0}, 0.0).fill.width(), 0.0);
    EXPECT_EQ(scrubberShapes({200.0, 10.0}, 0.0).knob, QRectF(-2, 0, 4, 10));
    EXPECT_EQ(scrubberShapes({200.0, 10.0}, 1.0).fill, QRectF(0, 1, 200, 8));
    EXPECT_EQ(scrubberShapes({200.0, 10.0}, 1.0).knob, QRectF(198, 0, 4, 10));
    EXPECT_EQ(scrubberShapes({200.0, 10.0}, 1.5).knob, QRectF(198, 0, 4, 10));
}

TEST(ScrubberGeometry, AViewLowerThanTwoPointsHasAnEmptyTrack)
{
    const ScrubberShapes shapes = scrubberShapes({100.0, 1.0}, 0.5);
    EXPECT_EQ(shapes.track.height(), 0.0);
    EXPECT_EQ(shapes.fill.height(), 0.0);
    EXPECT_EQ(shapes.knob, QRectF(48, 0, 4, 1));
}

} // namespace
