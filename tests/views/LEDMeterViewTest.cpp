#include "views/LEDMeterView.h"

#include "support/WidgetRendering.h"
#include "views/LEDMeterScale.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

const QColor background = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
// The peak marker's 1-point outline, inset by 1, covers half of the columns at its sides.
const QColor markerHalf = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.43f);

// Green up to −1 dB, amber at 0 dB, red at +0.1 dB; lit at alpha 0.84, dark at 0.14.
QColor segmentColor(int segment, bool lit)
{
    QColor color = segment == 14   ? QColor::fromRgbF(0.92f, 0.22f, 0.18f)
                   : segment == 13 ? QColor::fromRgbF(0.96f, 0.70f, 0.20f)
                                   : QColor::fromRgbF(0.18f, 0.72f, 0.32f);
    color.setAlphaF(lit ? 0.84f : 0.14f);
    return over(color, background);
}

TEST(LEDMeterView, SegmentsStartAtXFourteenEveryWidthPlusTwoAndLightUpToTheLevel)
{
    // size, segment width, top of the left row
    const std::tuple<QSize, int, int> sizes[] = {{{250, 28}, 13, 2}, {{400, 40}, 23, 8}};
    // level, last lit segment, which carries the peak marker above silence
    const std::tuple<float, int> levels[] = {
        {-60.0f, 0}, {-18.4f, 1}, {-0.5f, 12}, {0.0f, 13}, {0.1f, 14}};
    for (const auto& [size, width, top] : sizes) {
        for (const auto& [level, lastLit] : levels) {
            LEDMeterView meter;
            meter.setLeftDB(level, level);
            for (const PaletteRendering& r : renderInBothPalettes(meter, size)) {
                for (int i = 0; i < 30; ++i) {
                    const int segment = i % 15;
                    const int x = 14 + segment * (width + 2);
                    const int y = top + i / 15 * 14;
                    auto at = [&](int dx, int dy) { return r.image.pixelColor(x + dx, y + dy); };
                    const QColor color = segmentColor(segment, segment <= lastLit);
                    const bool marked = segment == lastLit && level > -60.0f;
                    SCOPED_TRACE(testing::Message() << size.width() << " " << r.name << " at "
                                                    << level << " dB, segment " << i);
                    EXPECT_TRUE(colorNear(at(width / 2, 5), color));
                    EXPECT_TRUE(colorNear(at(0, 5), marked ? over(markerHalf, color) : color, 6));
                    EXPECT_TRUE(colorNear(at(-1, 5), background));
                }
            }
        }
    }
    // Too few segments for a spread collapse onto −1 dB instead of dividing by zero.
    EXPECT_EQ(decibelsForSegment(0, 3, -20.0f, 6.0f), -1.0f);
}

TEST(LEDMeterView, BarFallsFourThirdsDbAndThePeakOneSixthPerUpdateToTheDropOut)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, 2.0f);
    for (int update = 1; update <= 9; ++update) {
        EXPECT_GT(meter.displayedLeftDB(), -10.0f) << "after " << update - 1 << " updates";
        meter.setLeftDB(-10.0f, -10.0f);
    }
    EXPECT_EQ(meter.displayedLeftDB(), -10.0f);
    EXPECT_NEAR(meter.peakHoldLeftDB(), 0.5f, 1e-5);
    // The held peak still marks the red segment.
    EXPECT_TRUE(colorNear(renderWidget(meter, {250, 28}).pixelColor(224, 7),
                          over(markerHalf, segmentColor(14, false)), 6));
    // A level that is not a number falls, as does −59.4 dB; −59.5 dB drops the bar out to −60.
    meter.setLeftDB(static_cast<float>(notANumber), -59.4f);
    EXPECT_NEAR(meter.displayedLeftDB(), -11.3333333f, 1e-5);
    EXPECT_NEAR(meter.displayedRightDB(), -11.3333333f, 1e-5);
    meter.setLeftDB(-59.5f, -59.5f);
    EXPECT_EQ(meter.displayedLeftDB(), -60.0f);
    EXPECT_NEAR(meter.peakHoldLeftDB(), 0.5f - 2.0f / 6.0f, 1e-5);
}

TEST(LEDMeterView, NarrowerThanTheSegmentsNeedDrawsOnlyTheLabels)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, 2.0f);
    for (const PaletteRendering& r : renderInBothPalettes(meter, {60, 28})) {
        int labelPixels[2] = {0, 0};
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 60; ++x)
                labelPixels[x < 14 ? 0 : 1] +=
                    colorNear(r.image.pixelColor(x, y), background, 8) ? 0 : 1;
        EXPECT_GT(labelPixels[0], 4) << r.name;
        EXPECT_EQ(labelPixels[1], 0) << r.name;
    }
    EXPECT_TRUE(colorNear(renderWidget(meter, {1, 1}).pixelColor(0, 0), background));
}

} // namespace
