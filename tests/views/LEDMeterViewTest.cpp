#include "views/LEDMeterView.h"

#include "support/WidgetRendering.h"
#include "views/LEDMeterScale.h"

#include <gtest/gtest.h>

namespace {

TEST(LEDMeterViewTest, BarFallsFourThirdsDbAndThePeakOneSixthPerUpdateToTheDropOut)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, 2.0f);
    for (int update = 1; update <= 9; ++update) {
        EXPECT_GT(meter.displayedLeftDB(), -10.0f) << "after " << update - 1 << " updates";
        meter.setLeftDB(-10.0f, -10.0f);
    }
    EXPECT_EQ(meter.displayedLeftDB(), -10.0f);
    EXPECT_NEAR(meter.peakHoldLeftDB(), 0.5f, 1e-5);
    // A level that is not a number falls, as does −59.4 dB; −59.5 dB drops the bar out to −60.
    meter.setLeftDB(static_cast<float>(notANumber), -59.4f);
    EXPECT_NEAR(meter.displayedLeftDB(), -11.3333333f, 1e-5);
    meter.setLeftDB(-59.5f, -59.5f);
    EXPECT_EQ(meter.displayedLeftDB(), -60.0f);
    // Too few segments for a spread collapse onto −1 dB instead of dividing by zero.
    EXPECT_EQ(decibelsForSegment(0, 3, -20.0f, 6.0f), -1.0f);
}

} // namespace
