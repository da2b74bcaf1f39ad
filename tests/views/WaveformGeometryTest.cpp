#include "views/WaveformGeometry.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct WindowCase
{
    const char* name;
    double duration;
    double currentTime;
    double drawingDuration;
    double time;
    double visibleStart;
    double playheadAt400;
};

void PrintTo(const WindowCase& c, std::ostream* out)
{
    *out << c.name;
}

class WaveformWindowTest : public ::testing::TestWithParam<WindowCase>
{};

TEST_P(WaveformWindowTest, ShowsOneSecondAroundThePositionStoppingAtTheEnds)
{
    const WindowCase c = GetParam();
    const WaveformWindow window = waveformWindow(c.duration, c.currentTime);
    EXPECT_DOUBLE_EQ(window.duration, c.drawingDuration);
    EXPECT_DOUBLE_EQ(window.time, c.time);
    EXPECT_DOUBLE_EQ(window.visibleStart, c.visibleStart);
    EXPECT_DOUBLE_EQ(window.visibleEnd, c.visibleStart + 1.0);
    EXPECT_DOUBLE_EQ(window.visibleDuration, 1.0);
    EXPECT_NEAR(waveformPlayheadX(window, 400.0), c.playheadAt400, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, WaveformWindowTest,
    ::testing::Values(WindowCase{"middle", 180.0, 60.0, 180.0, 60.0, 59.5, 200.0},
                      WindowCase{"nearTheStart", 180.0, 0.2, 180.0, 0.2, 0.0, 80.0},
                      WindowCase{"nearTheEnd", 180.0, 179.9, 180.0, 179.9, 179.0, 360.0},
                      WindowCase{"atTheStart", 180.0, 0.0, 180.0, 0.0, 0.0, 2.0},
                      WindowCase{"pastTheEnd", 180.0, 500.0, 180.0, 180.0, 179.0, 398.0},
                      WindowCase{"shortTrack", 0.4, 0.4, 1.0, 0.4, 0.0, 160.0},
                      WindowCase{"unknownLength", 0.0, 3.0, 1.0, 1.0, 0.0, 398.0},
                      WindowCase{"lengthNotANumber", notANumber, 0.5, 1.0, 0.5, 0.0, 200.0},
                      WindowCase{"infiniteLength", infinity, 0.5, 1.0, 0.5, 0.0, 200.0},
                      WindowCase{"negativeTime", 10.0, -4.0, 10.0, 0.0, 0.0, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaveformStrips, SplitTheHeightWithMarginsOfFourAndSix)
{
    const struct
    {
        double height;
        QRectF left;
        QRectF right;
    } cases[] = {{84.0, QRectF(0, 4, 300, 35), QRectF(0, 43, 300, 35)},
                 {88.0, QRectF(0, 4, 300, 37), QRectF(0, 45, 300, 37)},
                 {20.0, QRectF(0, 4, 300, 4), QRectF(0, 12, 300, 4)},
                 {0.0, QRectF(0, 4, 300, 4), QRectF(0, 12, 300, 4)}};
    for (const auto& c : cases) {
        const WaveformStrips strips = waveformStrips({300.0, c.height});
        EXPECT_EQ(strips.left, c.left) << c.height;
        EXPECT_EQ(strips.right, c.right) << c.height;
    }
}

TEST(WaveformPeakLines, DrawTheBinsTouchingTheWindowOnPixelCentres)
{
    // Four seconds in eight bins of half a second; the window 1.5…2.5 s touches bins 2 to 5.
    const std::vector<float> peaks{0.1f, 0.2f, 1.0f, 0.0f, 0.5f, 1.7f, 1.0f, 1.0f};
    const WaveformWindow window = waveformWindow(4.0, 2.0);
    const std::vector<QLineF> lines = waveformPeakLines(peaks, QRectF(0, 4, 400, 35), window);
    // Centre line 21.5; amplitude scale 33; values limited to 0…1, at least 1 point long.
    const std::vector<QLineF> expected{
        QLineF(1.5, 5.0, 1.5, 38.0), QLineF(100.5, 21.0, 100.5, 22.0),
        QLineF(300.5, 13.25, 300.5, 29.75), QLineF(399.5, 5.0, 399.5, 38.0)};
    EXPECT_EQ(lines, expected);
}

TEST(WaveformPeakLines, ValuesThatAreNotNumbersDrawAsZero)
{
    const std::vector<float> peaks{std::numeric_limits<float>::quiet_NaN(), -0.3f};
    const std::vector<QLineF> lines =
        waveformPeakLines(peaks, QRectF(0, 43, 200, 35), waveformWindow(0.0, 0.0));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], QLineF(50.5, 60.0, 50.5, 61.0));
    EXPECT_EQ(lines[1], QLineF(150.5, 60.0, 150.5, 61.0));
}

TEST(WaveformPeakLines, EmptyListDrawsNothing)
{
    EXPECT_TRUE(waveformPeakLines({}, QRectF(0, 4, 400, 35), waveformWindow(10.0, 5.0)).empty());
}

// The lines drawn must be exactly the bins that touch the window, whatever the shortcut used
// to find them: a missing bin at either end would leave a gap at the view's edge.
struct CullingCase
{
    std::size_t bins;
    double duration;
    double time;
};

class WaveformCulling : public ::testing::TestWithParam<CullingCase>
{};

TEST_P(WaveformCulling, KeepsEveryBinThatTouchesTheWindow)
{
    const CullingCase c = GetParam();
    const std::vector<float> peaks(c.bins, 0.5f);
    const WaveformWindow window = waveformWindow(c.duration, c.time);
    std::size_t touching = 0;
    const auto n = static_cast<double>(c.bins);
    for (std::size_t i = 0; i < c.bins; ++i) {
        const double binEnd = static_cast<double>(i + 1) / n * window.duration;
        const double binStart = static_cast<double>(i) / n * window.duration;
        if (!(window.visibleStart > binEnd || binStart > window.visibleEnd))
            ++touching;
    }
    EXPECT_EQ(waveformPeakLines(peaks, QRectF(0, 4, 308, 35), window).size(), touching);
    EXPECT_GT(touching, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    TracksAndPositions, WaveformCulling,
    ::testing::Values(CullingCase{36000, 180.0, 60.0}, CullingCase{36000, 180.0, 0.0},
                      CullingCase{36000, 180.0, 180.0}, CullingCase{6000, 10.0, 5.0},
                      CullingCase{6000, 10.0, 3.3333}, CullingCase{7, 3.0, 1.2},
                      CullingCase{1, 0.0, 0.0}, CullingCase{35999, 179.99, 91.37},
                      CullingCase{600, 1.0, 0.5}, CullingCase{3, 2.0, 1.5}));

TEST(WaveformPeakLines, About200PerSecondForA180SecondTrackAnd600ForATenSecondOne)
{
    const std::vector<float> longTrack(36000, 0.5f);
    const std::size_t longLines =
        waveformPeakLines(longTrack, QRectF(0, 4, 308, 35), waveformWindow(180.0, 60.0)).size();
    EXPECT_GE(longLines, 200u);
    EXPECT_LE(longLines, 202u);
    const std::vector<float> shortTrack(6000, 0.5f);
    const std::size_t shortLines =
        waveformPeakLines(shortTrack, QRectF(0, 4, 308, 35), waveformWindow(10.0, 5.0)).size();
    EXPECT_GE(shortLines, 600u);
    EXPECT_LE(shortLines, 602u);
}

} // namespace
