#include "views/SpectrumAnalyzerView.h"

#include "support/WidgetRendering.h"
#include "views/SpectrumGeometry.h"
#include "views/SpectrumPeakHold.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

TEST(SpectrumAnalyzerViewTest, ValuesOutsideZeroToOneCountAsItsEndsAndMissingOnesAsZero)
{
    for (const double level : {1.3, HUGE_VAL, -0.2, notANumber})
        EXPECT_EQ(spectrumBarRect(2, 16.0, 84.0, level).height(), level > 1 ? 76.0 : 1.0) << level;
    // Lower than its margins, a view still shows 1-point bars.
    EXPECT_EQ(spectrumBarRect(0, 10.0, 6.0, 1.0), QRectF(0, 1, 10, 1));
    for (const double peak : {0.02, notANumber})
        EXPECT_FALSE(spectrumPeakCapLine(QRectF(0, 79, 16, 1), 84.0, peak)) << peak;
    // Peaks fall 1/60 an update, no further than the level; a missing level or peak counts as 0.
    const std::tuple<std::vector<double>, std::vector<float>, std::vector<double>> updates[] = {
        {{0.5}, {0.49f}, {0.49f}},
        {{1.0}, {static_cast<float>(notANumber)}, {1.0 - 1.0 / 60}},
        {{0.2}, {1.3f}, {1.0}},
        {{0.5, 0.5}, {0.6f}, {0.6f, 0.5 - 1.0 / 60}},
        {{0.5}, {0.2f, 0.3f}, {0.5 - 1.0 / 60, 0.3f}}};
    for (const auto& [peaks, levels, expected] : updates)
        EXPECT_EQ(peakHoldLevelsFrom(peaks, levels), expected) << "from " << peaks[0];
}

} // namespace
