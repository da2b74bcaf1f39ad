#include "views/SpectrumAnalyzerView.h"

#include "support/WidgetRendering.h"
#include "views/SpectrumGeometry.h"

#include <gtest/gtest.h>

namespace {

const QColor spectrumBackground = QColor::fromRgbF(0.07f, 0.07f, 0.07f);
const QColor capColor = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.82f);

QColor barColor(double hue)
{
    return over(QColor::fromHsvF(static_cast<float>(hue), 0.64f, 0.82f, 0.82f), spectrumBackground);
}

// Sizes with the bar width that the drawing rules give 16 bands.
struct SpectrumSize
{
    int width;
    int height;
    int barWidth;
};

const SpectrumSize spectrumSizes[] = {{300, 84, 16}, {200, 60, 10}};

class SpectrumPixels : public ::testing::TestWithParam<std::tuple<SpectrumSize, NamedPalette>>
{
protected:
    void SetUp() override { view.setPalette(std::get<1>(GetParam()).make()); }

    SpectrumSize viewSize() const { return std::get<0>(GetParam()); }
    QImage render() { return renderWidget(view, {viewSize().width, viewSize().height}); }
    int barLeft(int bar) const { return bar * (viewSize().barWidth + 2); }

    SpectrumAnalyzerView view;
};

TEST_P(SpectrumPixels, FullBarsReachFourBelowTheTopInTheirHues)
{
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    const QImage image = render();
    const int bottom = viewSize().height - 4;
    for (int bar = 0; bar < 16; ++bar) {
        const int x = barLeft(bar) + viewSize().barWidth / 2;
        const QColor color = barColor(0.34 - 0.22 * bar / 15.0);
        EXPECT_TRUE(colorNear(image.pixelColor(x, 6), color)) << "bar " << bar;
        EXPECT_TRUE(colorNear(image.pixelColor(x, bottom - 1), color)) << "bar " << bar;
        EXPECT_TRUE(colorNear(image.pixelColor(x, bottom), spectrumBackground)) << "bar " << bar;
        EXPECT_TRUE(colorNear(image.pixelColor(x, 3), spectrumBackground)) << "bar " << bar;
        // The gap to the next bar.
        EXPECT_TRUE(
            colorNear(image.pixelColor(barLeft(bar) + viewSize().barWidth, viewSize().height / 2),
                      spectrumBackground))
            << "bar " << bar;
    }
    // The cap of a full bar lies on the bar's top row.
    EXPECT_TRUE(colorNear(image.pixelColor(barLeft(3) + 2, 4),
                          over(capColor, barColor(0.34 - 0.22 * 3 / 15.0))));
}

TEST_P(SpectrumPixels, SilentBandsShowOnePointBars)
{
    view.setSpectrumLevels(std::vector<float>(16, 0.0f));
    const QImage image = render();
    const int bottom = viewSize().height - 4;
    for (int bar : {0, 7, 15}) {
        const int x = barLeft(bar) + viewSize().barWidth / 2;
        const QColor color = barColor(0.34 - 0.22 * bar / 15.0);
        // A bar 1 point high has corners of half a point: its middle is solid.
        EXPECT_TRUE(colorNear(image.pixelColor(x, bottom - 1), color, 3)) << "bar " << bar;
        EXPECT_TRUE(colorNear(image.pixelColor(x, bottom - 2), spectrumBackground))
            << "bar " << bar;
    }
}

TEST_P(SpectrumPixels, CapFallsOneSixtiethPerUpdateAndVanishesFromTheFiftyNinthOn)
{
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    for (int update = 1; update <= 58; ++update)
        view.setSpectrumLevels(std::vector<float>(16, 0.0f));
    const int x = barLeft(5) + 3;
    const double peak = 1.0 - 58 / 60.0;
    const int capRow =
        static_cast<int>(std::round(viewSize().height - 4 - peak * (viewSize().height - 8)));
    const QImage before = render();
    EXPECT_TRUE(colorNear(before.pixelColor(x, capRow), over(capColor, spectrumBackground)));

    view.setSpectrumLevels(std::vector<float>(16, 0.0f));
    const QImage after = render();
    // Only the 1-point bar is left on the bottom row.
    for (int y = 2; y < viewSize().height - 5; ++y)
        EXPECT_TRUE(colorNear(after.pixelColor(x, y), spectrumBackground)) << "row " << y;
}

TEST_P(SpectrumPixels, LeavesTheCornersOutsideItsRoundedBackground)
{
    const QImage image = render();
    EXPECT_TRUE(colorCloserTo(image.pixelColor(0, 0), renderUnderlay, spectrumBackground));
    EXPECT_TRUE(colorCloserTo(image.pixelColor(viewSize().width - 1, viewSize().height - 1),
                              renderUnderlay, spectrumBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(4, 1), spectrumBackground));
}

INSTANTIATE_TEST_SUITE_P(SizesAndPalettes, SpectrumPixels,
                         ::testing::Combine(::testing::ValuesIn(spectrumSizes),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param).width) + "x" +
                                    std::to_string(std::get<0>(info.param).height) +
                                    std::get<1>(info.param).name;
                         });

TEST(SpectrumAnalyzerView, TooNarrowForTheBarsDrawsOnlyTheBackground)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    const QImage image = renderWidget(view, {61, 84});
    for (int y = 4; y < 80; ++y)
        for (int x = 4; x < 57; ++x)
            ASSERT_TRUE(colorNear(image.pixelColor(x, y), spectrumBackground)) << x << "," << y;
}

TEST(SpectrumAnalyzerView, FewerLevelsDrawFewerBarsButKeepAllCaps)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels(std::vector<float>(16, 1.0f));
    view.setSpectrumLevels(std::vector<float>(8, 0.5f));
    ASSERT_EQ(view.peakHoldLevels().size(), 16u);
    EXPECT_NEAR(view.peakHoldLevels()[15], 1.0 - 1.0 / 60, 1e-9);

    // 8 bars of (300 − 14) / 8 = 35 points, half height, caps of the first 8 bars only.
    const QImage image = renderWidget(view, {300, 84});
    EXPECT_TRUE(colorNear(image.pixelColor(7 * 37 + 17, 60), barColor(0.12)));
    EXPECT_TRUE(colorNear(image.pixelColor(7 * 37 + 17, 30), spectrumBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(7 * 37 + 17, 5), over(capColor, spectrumBackground)));
    EXPECT_TRUE(colorNear(image.pixelColor(296, 5), spectrumBackground));
}

TEST(SpectrumAnalyzerView, ASingleBandFillsTheWidthInGreen)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels({1.0f});
    const QImage image = renderWidget(view, {120, 84});
    EXPECT_TRUE(colorNear(image.pixelColor(60, 40), barColor(0.34)));
    EXPECT_TRUE(colorNear(image.pixelColor(118, 40), barColor(0.34)));
}

TEST(SpectrumAnalyzerView, EmptyLevelsDrawOneSilentBar)
{
    SpectrumAnalyzerView view;
    view.setSpectrumLevels({});
    EXPECT_TRUE(view.levels().empty());
    const QImage image = renderWidget(view, {120, 84});
    EXPECT_TRUE(colorNear(image.pixelColor(60, 79), barColor(0.34), 3));
    EXPECT_TRUE(colorNear(image.pixelColor(60, 78), spectrumBackground));
}

TEST(SpectrumAnalyzerView, ReplacingTheListsMovesNoCapAndNewLevelsRedraw)
{
    SpectrumAnalyzerView view;
    EXPECT_EQ(view.levels(), std::vector<float>(16, 0.0f));
    EXPECT_EQ(view.peakHoldLevels(), std::vector<double>(16, 0.0));
    view.resize(300, 84);
    EXPECT_EQ(paintEventsDuring(view,
                                [&] {
                                    view.setLevels({0.5f});
                                    view.setPeakHoldLevels({0.9});
                                    view.setDisplayBackgroundColor(Qt::darkBlue);
                                }),
              0);
    EXPECT_EQ(view.peakHoldLevels(), std::vector<double>{0.9});
    EXPECT_GT(paintEventsDuring(view, [&] { view.setSpectrumLevels({0.1f}); }), 0);
    EXPECT_NEAR(view.peakHoldLevels()[0], 0.9 - 1.0 / 60, 1e-9);
    EXPECT_EQ(view.sizeHint().height(), 84);
}

} // namespace
