#include "views/SpectrumAnalyzerView.h"

#include "support/WidgetRendering.h"
#include "views/SpectrumGeometry.h"
#include "views/SpectrumPeakHold.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

const QColor background = QColor::fromRgbF(0.07f, 0.07f, 0.07f);
const QColor capColor = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.82f);
// size, bar width for 16 bands
const std::tuple<QSize, int> spectrumSizes[] = {{{300, 84}, 16}, {{200, 60}, 10}};

// The hue runs from green for the first bar to orange for the last.
QColor barColor(int bar, int barCount = 16)
{
    const double hue = barCount > 1 ? 0.34 - 0.22 * bar / (barCount - 1) : 0.34;
    return over(QColor::fromHsvF(static_cast<float>(hue), 0.64f, 0.82f, 0.82f), background);
}

TEST(SpectrumAnalyzerView, FullBarsStandEveryWidthPlusTwoAndReachFourBelowTheTop)
{
    for (const auto& [size, width] : spectrumSizes) {
        SpectrumAnalyzerView view;
        view.setSpectrumLevels(std::vector<float>(16, 1.0f));
        for (const PaletteRendering& r : renderInBothPalettes(view, size)) {
            for (int bar = 0; bar < 16; ++bar) {
                SCOPED_TRACE(testing::Message() << size.width() << r.name << " bar " << bar);
                const int x = bar * (width + 2);
                auto at = [&](int dx, int y) { return r.image.pixelColor(x + dx, y); };
                EXPECT_TRUE(colorNear(at(0, size.height() / 2), barColor(bar)));
                EXPECT_TRUE(colorNear(at(width - 1, size.height() / 2), barColor(bar)));
                EXPECT_TRUE(colorNear(at(width, size.height() / 2), background));
                EXPECT_TRUE(colorNear(at(width / 2, size.height() - 4), background));
                // The cap of a full bar lies on the bar's top row.
                EXPECT_TRUE(colorNear(at(width / 2, 4), over(capColor, barColor(bar))));
                EXPECT_TRUE(colorNear(at(width / 2, 3), background));
            }
        }
    }
}

TEST(SpectrumAnalyzerView, CapsFallOneSixtiethPerUpdateAndVanishFromTheFiftyNinthOn)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    for (int update = 1; update <= 58; ++update)
        view.setSpectrumLevels(std::vector<float>(16, 0.0f));
    // Bar 5 at 300 × 84: the cap 2/60 of 76 points above the bottom line at y 80.
    EXPECT_TRUE(
        colorNear(renderWidget(view, {300, 84}).pixelColor(93, 77), over(capColor, background)));
    view.setSpectrumLevels(std::vector<float>(16, 0.0f));
    const QImage image = renderWidget(view, {300, 84});
    for (int y = 2; y < 79; ++y)
        EXPECT_TRUE(colorNear(image.pixelColor(93, y), background)) << y;
    // Only the 1-point bar of the silent band is left, on the bottom row.
    EXPECT_TRUE(colorNear(image.pixelColor(93, 79), barColor(5), 3));
}

TEST(SpectrumAnalyzerView, OneBandOrNoneDrawsOneGreenBarAndTooNarrowOnlyTheBackground)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels({1.0f});
    EXPECT_TRUE(colorNear(renderWidget(view, {120, 84}).pixelColor(118, 40), barColor(0, 1)));
    view.setSpectrumLevels({});
    EXPECT_TRUE(colorNear(renderWidget(view, {120, 84}).pixelColor(60, 79), barColor(0, 1), 3));
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    const QImage image = renderWidget(view, {61, 84});
    for (int y = 4; y < 80; ++y)
        for (int x = 4; x < 57; ++x)
            ASSERT_TRUE(colorNear(image.pixelColor(x, y), background)) << x << "," << y;
}

TEST(SpectrumBars, ValuesOutsideZeroToOneCountAsItsEndsAndMissingOnesAsZero)
{
    for (const double level : {1.3, HUGE_VAL})
        EXPECT_EQ(spectrumBarRect(2, 16.0, 84.0, level).height(), 76.0) << level;
    for (const double level : {-0.2, notANumber})
        EXPECT_EQ(spectrumBarRect(2, 16.0, 84.0, level).height(), 1.0) << level;
    // Lower than its margins, a view still shows 1-point bars.
    EXPECT_EQ(spectrumBarRect(0, 10.0, 6.0, 1.0), QRectF(0, 1, 10, 1));
    for (const double peak : {0.02, notANumber})
        EXPECT_FALSE(spectrumPeakCapLine(QRectF(0, 79, 16, 1), 84.0, peak)) << peak;
    // Peaks fall no further than the level; a missing level or peak counts as 0.
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
