#include "views/LEDMeterView.h"

#include "support/WidgetRendering.h"
#include "views/LEDMeterScale.h"

#include <gtest/gtest.h>

namespace {

const QColor meterBackground = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
const QColor markerColor = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.86f);

// Sizes with the segment width and row top that the drawing rules give them.
struct MeterSize
{
    int width;
    int height;
    int segmentWidth;
    int rowTop;
};

const MeterSize meterSizes[] = {{250, 28, 13, 2}, {400, 40, 23, 8}};

class LEDMeterPixels : public ::testing::TestWithParam<std::tuple<MeterSize, NamedPalette>>
{
protected:
    void SetUp() override { meter.setPalette(std::get<1>(GetParam()).make()); }

    MeterSize meterSize() const { return std::get<0>(GetParam()); }
    QImage render() { return renderWidget(meter, {meterSize().width, meterSize().height}); }
    // A pixel in the middle of a segment, away from its rounded corners.
    QColor segmentPixel(const QImage& image, int row, int segment) const
    {
        const MeterSize s = meterSize();
        return image.pixelColor(14 + segment * (s.segmentWidth + 2) + s.segmentWidth / 2,
                                s.rowTop + 14 * row + 5);
    }
    void expectLitUpTo(const QImage& image, int lastLit) const
    {
        for (int row = 0; row < 2; ++row) {
            for (int segment = 0; segment < meterSegmentCount; ++segment) {
                const QColor expected =
                    over(colorForSegment(segment, meterSegmentCount, segment <= lastLit),
                         meterBackground);
                EXPECT_TRUE(colorNear(segmentPixel(image, row, segment), expected))
                    << "row " << row << " segment " << segment;
            }
        }
    }

    LEDMeterView meter;
};

TEST_P(LEDMeterPixels, SilenceLightsOnlyTheFirstSegmentAndNoMarker)
{
    meter.setLeftDB(-60.0f, -60.0f);
    const QImage image = render();
    expectLitUpTo(image, 0);
    const MeterSize s = meterSize();
    // Where a marker's left edge would run, the first segment shows its own colour.
    EXPECT_TRUE(colorNear(image.pixelColor(14 + 1, s.rowTop + 5),
                          over(colorForSegment(0, 15, true), meterBackground)));
}

TEST_P(LEDMeterPixels, LevelsLightTheSegmentsAtOrBelowThem)
{
    const struct
    {
        float level;
        int lastLit;
    } cases[] = {{-0.5f, 12}, {0.0f, 13}, {0.1f, 14}, {2.0f, 14}, {-10.0f, 6}};
    for (const auto& c : cases) {
        LEDMeterView fresh;
        fresh.setPalette(meter.palette());
        fresh.setLeftDB(c.level, c.level);
        SCOPED_TRACE(c.level);
        expectLitUpTo(renderWidget(fresh, {meterSize().width, meterSize().height}), c.lastLit);
    }
}

TEST_P(LEDMeterPixels, RowsStartAtTheirTopsOverTheBackground)
{
    meter.setLeftDB(2.0f, 2.0f);
    const QImage image = render();
    const MeterSize s = meterSize();
    const int x = 14 + 3 * (s.segmentWidth + 2) + s.segmentWidth / 2;
    const QColor lit = over(colorForSegment(3, 15, true), meterBackground);
    EXPECT_TRUE(colorNear(image.pixelColor(x, s.rowTop), lit));
    EXPECT_TRUE(colorNear(image.pixelColor(x, s.rowTop - 1), meterBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(x, s.rowTop + 10), meterBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(x, s.rowTop + 14), lit));
    EXPECT_TRUE(colorNear(image.pixelColor(x, s.rowTop + 13), meterBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(s.width - 1, s.rowTop + 5), meterBackground));
}

TEST_P(LEDMeterPixels, MarksTheHeldPeakOnItsSegment)
{
    meter.setLeftDB(2.0f, -8.0f);
    for (int update = 0; update < 9; ++update)
        meter.setLeftDB(-10.0f, -8.0f);
    const QImage image = render();
    const MeterSize s = meterSize();
    auto markerEdge = [&](int row, int segment) {
        return image.pixelColor(14 + segment * (s.segmentWidth + 2) + 1, s.rowTop + 14 * row + 5);
    };
    // The 1-point stroke on the inset outline covers half of this pixel column.
    const QColor markerHalf(markerColor.red(), markerColor.green(), markerColor.blue(),
                            markerColor.alpha() / 2);
    const QColor darkRed = over(colorForSegment(14, 15, false), meterBackground);
    EXPECT_TRUE(colorNear(markerEdge(0, 14), over(markerHalf, darkRed), 6));
    // The right row holds −8 dB: lit up to segment 7, which carries the marker.
    const QColor litGreen = over(colorForSegment(7, 15, true), meterBackground);
    EXPECT_TRUE(colorNear(markerEdge(1, 7), over(markerHalf, litGreen), 6));
    EXPECT_TRUE(
        colorNear(markerEdge(0, 13), over(colorForSegment(13, 15, false), meterBackground)));
    EXPECT_TRUE(colorNear(markerEdge(1, 6), over(colorForSegment(6, 15, true), meterBackground)));
    EXPECT_TRUE(colorNear(markerEdge(1, 8), over(colorForSegment(8, 15, false), meterBackground)));
}

TEST_P(LEDMeterPixels, DrawsTheLabelsInTheirColumn)
{
    const QImage image = render();
    for (int row = 0; row < 2; ++row) {
        int brightest = 0;
        for (int y = meterSize().rowTop + 14 * row - 1; y < meterSize().rowTop + 14 * row + 10; ++y)
            for (int x = 0; x < 14; ++x)
                brightest = std::max(brightest, image.pixelColor(x, y).green());
        EXPECT_GT(brightest, 150) << "row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(SizesAndPalettes, LEDMeterPixels,
                         ::testing::Combine(::testing::ValuesIn(meterSizes),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param).width) + "x" +
                                    std::to_string(std::get<0>(info.param).height) +
                                    std::get<1>(info.param).name;
                         });

TEST(LEDMeterView, NarrowerThanTheSegmentsNeedDrawsOnlyTheLabels)
{
    for (const NamedPalette& palette : bothPalettes) {
        LEDMeterView meter;
        meter.setPalette(palette.make());
        meter.setLeftDB(2.0f, 2.0f);
        const QImage image = renderWidget(meter, {60, 28});
        int labelPixels = 0;
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 60; ++x) {
                const bool differs = colorDistance(image.pixelColor(x, y), meterBackground) > 8;
                if (x >= 14) {
                    EXPECT_FALSE(differs) << palette.name << " at " << x << "," << y;
                }
                labelPixels += differs ? 1 : 0;
            }
        }
        EXPECT_GT(labelPixels, 4) << palette.name;
    }
}

TEST(LEDMeterView, ATinyViewShowsItsBackground)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, 2.0f);
    const QImage image = renderWidget(meter, {1, 1});
    EXPECT_TRUE(colorNear(image.pixelColor(0, 0), meterBackground));
}

TEST(LEDMeterView, BarNeedsNineUpdatesFromPlusTwoToMinusTen)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, 2.0f);
    for (int update = 1; update <= 9; ++update) {
        meter.setLeftDB(-10.0f, -10.0f);
        if (update < 9) {
            EXPECT_GT(meter.displayedLeftDB(), -10.0f) << "after " << update << " updates";
        }
    }
    EXPECT_FLOAT_EQ(meter.displayedLeftDB(), -10.0f);
    EXPECT_FLOAT_EQ(meter.displayedRightDB(), -10.0f);
    // The peak has fallen 1.5 dB and still sits on the red segment.
    EXPECT_NEAR(meter.peakHoldLeftDB(), 0.5f, 1e-4);
    EXPECT_EQ(segmentIndexForLevel(meter.peakHoldLeftDB(), 15, -20.0f, 6.0f), 14);
    EXPECT_EQ(meter.leftDB(), -10.0f);
}

TEST(LEDMeterView, SilenceDropsTheBarAtOnceAndLetsThePeakFall)
{
    LEDMeterView meter;
    meter.setLeftDB(2.0f, -3.0f);
    meter.setLeftDB(-60.0f, -60.0f);
    EXPECT_EQ(meter.displayedLeftDB(), -60.0f);
    EXPECT_EQ(meter.displayedRightDB(), -60.0f);
    for (int update = 2; update <= 120; ++update) {
        meter.setLeftDB(-60.0f, -60.0f);
        ASSERT_NEAR(meter.peakHoldLeftDB(), 2.0f - update / 6.0f, 1e-3) << update;
        ASSERT_NEAR(meter.peakHoldRightDB(), -3.0f - update / 6.0f, 1e-3) << update;
    }
}

TEST(LEDMeterView, PeakFollowsTheLevelHandedInNotTheSmoothedOne)
{
    LEDMeterView meter;
    meter.setLeftDB(0.0f, 0.0f);
    meter.setLeftDB(-6.0f, -6.0f);
    meter.setLeftDB(-3.0f, -3.0f);
    // The bar is still falling (−2.67), the peak has fallen only 1/3 dB.
    EXPECT_NEAR(meter.displayedLeftDB(), -2.6666667f, 1e-5);
    EXPECT_NEAR(meter.peakHoldLeftDB(), -0.3333333f, 1e-5);
}

TEST(LEDMeterView, LevelsRedrawAndTheBackgroundColourWaits)
{
    LEDMeterView meter;
    meter.resize(250, 28);
    EXPECT_GT(paintEventsDuring(meter, [&] { meter.setLeftDB(-3.0f, -3.0f); }), 0);
    EXPECT_EQ(paintEventsDuring(meter, [&] { meter.setDisplayBackgroundColor(Qt::blue); }), 0);
    EXPECT_EQ(meter.displayBackgroundColor(), QColor(Qt::blue));
    EXPECT_EQ(meter.sizeHint().height(), 28);
}

} // namespace
