#include "views/WaveformView.h"

#include "support/WidgetRendering.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

const QColor waveformBackground = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
const QColor lineColor = QColor::fromRgbF(0.0f, 0.72f, 0.82f, 0.62f);

struct RowRange
{
    int first;
    int last;
};

// Sizes with the pixel rows that full-scale peak lines cover and those they never reach.
struct WaveformSize
{
    int width;
    int height;
    std::vector<RowRange> lit;
    std::vector<RowRange> unlit;
};

const WaveformSize waveformSizes[] = {
    {400, 84, {{5, 37}, {44, 76}}, {{0, 4}, {38, 43}, {77, 83}}},
    {300, 88, {{5, 39}, {46, 80}}, {{0, 4}, {40, 45}, {81, 87}}},
};

class WaveformPixels : public ::testing::TestWithParam<std::tuple<WaveformSize, NamedPalette>>
{
protected:
    void SetUp() override { view.setPalette(std::get<1>(GetParam()).make()); }

    const WaveformSize& viewSize() const { return std::get<0>(GetParam()); }
    QImage render() { return renderWidget(view, {viewSize().width, viewSize().height}); }
    QColor playheadColor() const { return view.palette().color(QPalette::Highlight); }
    void loadTrack(double duration, std::size_t bins, double time)
    {
        view.setDuration(duration);
        view.setPeaks(std::vector<float>(bins, 1.0f));
        view.setCurrentTime(time);
    }
    int litPixelsInRow(const QImage& image, int y, int skipFrom, int skipTo) const
    {
        int lit = 0;
        // Clear of the rounded corners, where the underlay shows.
        for (int x = 4; x < image.width() - 4; ++x) {
            if (x < skipFrom || x > skipTo)
                lit += colorDistance(image.pixelColor(x, y), waveformBackground) > 8 ? 1 : 0;
        }
        return lit;
    }

    WaveformView view;
};

TEST_P(WaveformPixels, WithoutPeaksShowsOnlyTheBackground)
{
    view.setDuration(180.0);
    view.setCurrentTime(60.0);
    const QImage image = render();
    for (int y = 2; y < viewSize().height - 2; ++y)
        for (int x = 2; x < viewSize().width - 2; ++x)
            ASSERT_TRUE(colorNear(image.pixelColor(x, y), waveformBackground)) << x << "," << y;
    EXPECT_TRUE(colorCloserTo(image.pixelColor(0, 0), renderUnderlay, waveformBackground));
}

TEST_P(WaveformPixels, StripsHoldTheLinesAndThePlayheadSitsInTheMiddle)
{
    loadTrack(180.0, 36000, 60.0);
    const QImage image = render();
    const int middle = viewSize().width / 2;
    for (const RowRange& range : viewSize().lit)
        for (int y = range.first; y <= range.last; ++y)
            EXPECT_GT(litPixelsInRow(image, y, middle - 1, middle), viewSize().width / 3)
                << "row " << y;
    for (const RowRange& range : viewSize().unlit)
        for (int y = range.first; y <= range.last; ++y)
            EXPECT_EQ(litPixelsInRow(image, y, middle - 1, middle), 0) << "row " << y;

    for (int y : {2, viewSize().height / 2, viewSize().height - 3}) {
        EXPECT_TRUE(colorNear(image.pixelColor(middle - 1, y), playheadColor())) << y;
        EXPECT_TRUE(colorNear(image.pixelColor(middle, y), playheadColor())) << y;
    }
    EXPECT_TRUE(colorNear(image.pixelColor(middle, 1), waveformBackground));
    EXPECT_TRUE(colorNear(image.pixelColor(middle, viewSize().height - 2), waveformBackground));
}

TEST_P(WaveformPixels, ALineOverTheBackgroundIsTranslucentCyan)
{
    loadTrack(180.0, 36000, 60.0);
    const QImage image = render();
    int checked = 0;
    for (int x = 10; x < viewSize().width / 2 - 4; ++x) {
        const QColor pixel = image.pixelColor(x, 20);
        if (colorDistance(pixel, waveformBackground) > 8) {
            EXPECT_TRUE(colorNear(pixel, over(lineColor, waveformBackground))) << "column " << x;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

TEST_P(WaveformPixels, DenseBinsOnOneColumnAddUp)
{
    // A 10 s track: 600 bins in the window, more than there are columns.
    loadTrack(10.0, 6000, 5.0);
    const QImage image = render();
    const QColor twice = over(lineColor, over(lineColor, waveformBackground));
    int doubled = 0;
    for (int x = 10; x < viewSize().width / 2 - 4; ++x)
        doubled += colorNear(image.pixelColor(x, 20), twice) ? 1 : 0;
    EXPECT_GT(doubled, 20);
}

TEST_P(WaveformPixels, PlayheadMovesTowardsTheEdgeNearTheStart)
{
    loadTrack(180.0, 36000, 0.2);
    const QImage image = render();
    const int x = viewSize().width / 5;
    EXPECT_TRUE(colorNear(image.pixelColor(x - 1, 40), playheadColor()));
    EXPECT_TRUE(colorNear(image.pixelColor(x, 40), playheadColor()));
    EXPECT_FALSE(colorNear(image.pixelColor(x + 1, 41), playheadColor()));
    EXPECT_FALSE(colorNear(image.pixelColor(x - 2, 41), playheadColor()));
}

TEST_P(WaveformPixels, PeaksInOneChannelLeaveTheOtherStripEmpty)
{
    view.setDuration(180.0);
    view.setLeftPeaks(std::vector<float>(36000, 1.0f));
    view.setCurrentTime(60.0);
    const QImage image = render();
    const int middle = viewSize().width / 2;
    EXPECT_GT(litPixelsInRow(image, viewSize().lit[0].first + 3, middle - 1, middle), 0);
    EXPECT_EQ(litPixelsInRow(image, viewSize().lit[1].first + 3, middle - 1, middle), 0);
    EXPECT_TRUE(colorNear(image.pixelColor(middle, 40), playheadColor()));
}

INSTANTIATE_TEST_SUITE_P(SizesAndPalettes, WaveformPixels,
                         ::testing::Combine(::testing::ValuesIn(waveformSizes),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param).width) + "x" +
                                    std::to_string(std::get<0>(info.param).height) +
                                    std::get<1>(info.param).name;
                         });

TEST(WaveformView, ALowViewClipsTheLowerStripAtItsInnerEdge)
{
    WaveformView view;
    view.setDuration(180.0);
    view.setPeaks(std::vector<float>(36000, 1.0f));
    view.setCurrentTime(60.0);
    // 14 high: the right strip's lines run from y 13 to 15, past the clip at y 13.
    const QImage image = renderWidget(view, {200, 14});
    for (int x = 4; x < 196; ++x)
        ASSERT_TRUE(colorNear(image.pixelColor(x, 13), waveformBackground)) << x;
}

TEST(WaveformView, ATinyViewShowsItsBackgroundOnly)
{
    WaveformView view;
    view.setPeaks(std::vector<float>(600, 1.0f));
    const QImage image = renderWidget(view, {1, 1});
    EXPECT_TRUE(colorCloserTo(image.pixelColor(0, 0), waveformBackground, renderUnderlay));
}

TEST(WaveformView, ListsAreCopiesAndMonoPeaksFillBothChannels)
{
    WaveformView view;
    std::vector<float> mono{0.1f, 0.2f};
    view.setPeaks(mono);
    mono[0] = 0.9f;
    EXPECT_EQ(view.peaks(), (std::vector<float>{0.1f, 0.2f}));
    EXPECT_EQ(view.leftPeaks(), view.peaks());
    EXPECT_EQ(view.rightPeaks(), view.peaks());

    view.setLeftPeaks({0.5f});
    EXPECT_EQ(view.leftPeaks(), std::vector<float>{0.5f});
    EXPECT_EQ(view.rightPeaks(), view.peaks());
    view.setRightPeaks({});
    EXPECT_TRUE(view.rightPeaks().empty());
    EXPECT_EQ(view.peaks().size(), 2u);
}

TEST(WaveformView, CurrentTimeIsNeverStoredBelowZero)
{
    const struct
    {
        double given;
        double stored;
    } cases[] = {{12.5, 12.5},
                 {-3.0, 0.0},
                 {std::numeric_limits<double>::quiet_NaN(), 0.0},
                 {-std::numeric_limits<double>::infinity(), 0.0}};
    for (const auto& c : cases) {
        WaveformView view;
        view.setCurrentTime(c.given);
        EXPECT_EQ(view.currentTime(), c.stored) << c.given;
    }
    WaveformView view;
    view.setDuration(-2.0);
    EXPECT_EQ(view.duration(), -2.0);
}

TEST(WaveformView, DataRedrawsButDurationAndColourWait)
{
    WaveformView view;
    view.resize(308, 84);
    EXPECT_GT(paintEventsDuring(view, [&] { view.setCurrentTime(1.0); }), 0);
    EXPECT_GT(paintEventsDuring(view, [&] { view.setPeaks({0.5f}); }), 0);
    EXPECT_GT(paintEventsDuring(view, [&] { view.setLeftPeaks({0.5f}); }), 0);
    EXPECT_GT(paintEventsDuring(view, [&] { view.setRightPeaks({0.5f}); }), 0);
    EXPECT_EQ(paintEventsDuring(view,
                                [&] {
                                    view.setDuration(30.0);
                                    view.setDisplayBackgroundColor(Qt::darkGreen);
                                }),
              0);
    EXPECT_EQ(view.displayBackgroundColor(), QColor(Qt::darkGreen));
    EXPECT_EQ(view.sizeHint().height(), 84);
}

} // namespace
