#include "views/LEDMeterView.h"

#include "support/WidgetRendering.h"

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
}

} // namespace
