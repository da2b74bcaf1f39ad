#include "views/WaveformView.h"

#include "support/WidgetRendering.h"
#include "views/WaveformGeometry.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

const QColor background = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
const QColor lineColor = QColor::fromRgbF(0.0f, 0.72f, 0.82f, 0.62f);
const QColor line = over(lineColor, background);

// The pixels of row `y` in `color`, clear of the rounded corners and of the playhead at `x`.
int pixelsInRow(const QImage& image, int y, const QColor& color, int playheadX)
{
    int count = 0;
    for (int x = 4; x < image.width() - 4; ++x)
        count += x != playheadX - 1 && x != playheadX && colorNear(image.pixelColor(x, y), color);
    return count;
}

TEST(WaveformView, StripsHoldTranslucentLinesAndThePlayheadShowsThePosition)
{
    // size; rows at the ends of the two strips' full-scale lines; rows just beyond them
    const std::tuple<QSize, std::vector<int>, std::vector<int>> sizes[] = {
        {{400, 84}, {5, 37, 44, 76}, {4, 38, 43, 77}},
        {{300, 88}, {5, 39, 46, 80}, {4, 40, 45, 81}}};
    for (const auto& [size, lineRows, emptyRows] : sizes) {
        WaveformView view;
        view.setDuration(180.0);
        view.setPeaks(std::vector<float>(36000, 1.0f));
        // At 60 s of 180 s the playhead stands in the middle; at 0.2 s, at 0.2 W.
        for (const double time : {60.0, 0.2}) {
            view.setCurrentTime(time);
            const int x = time > 1.0 ? size.width() / 2 : size.width() / 5;
            for (const PaletteRendering& r : renderInBothPalettes(view, size)) {
                SCOPED_TRACE(testing::Message() << size.height() << r.name << " at " << time);
                for (int y : lineRows)
                    EXPECT_GT(pixelsInRow(r.image, y, line, x), size.width() / 3) << y;
                for (int y : emptyRows)
                    EXPECT_EQ(pixelsInRow(r.image, y, background, x), size.width() - 10) << y;
                const QColor playhead = r.palette.color(QPalette::Highlight);
                for (int y : {2, size.height() / 2, size.height() - 3})
                    EXPECT_TRUE(colorNear(r.image.pixelColor(x - 1, y), playhead) &&
                                colorNear(r.image.pixelColor(x, y), playhead))
                        << y;
                EXPECT_FALSE(colorNear(r.image.pixelColor(x + 1, 41), playhead) ||
                             colorNear(r.image.pixelColor(x - 2, 41), playhead));
            }
        }
    }
}

TEST(WaveformView, ChannelsKeepToTheirStripsClippedAtTheInnerEdge)
{
    // A 10 s track puts 600 bins in the window, more than there are columns: they add up.
    WaveformView view;
    view.setDuration(10.0);
    view.setCurrentTime(5.0);
    view.setLeftPeaks(std::vector<float>(6000, 1.0f));
    const QImage left = renderWidget(view, {400, 84});
    EXPECT_GT(pixelsInRow(left, 20, over(lineColor, line), 200), 100);
    EXPECT_EQ(pixelsInRow(left, 60, background, 200), 390);
    // 14 high: the lower strip's lines run from y 13 to 15, past the clip at y 13.
    view.setRightPeaks(std::vector<float>(6000, 1.0f));
    EXPECT_EQ(pixelsInRow(renderWidget(view, {200, 14}), 13, background, 100), 190);
    EXPECT_FALSE(colorNear(renderWidget(view, {1, 1}).pixelColor(0, 0), renderUnderlay, 40));
    for (const double time : {-3.0, notANumber}) {
        view.setCurrentTime(time);
        EXPECT_EQ(view.currentTime(), 0.0) << time;
    }
}

TEST(WaveformWindow, ShowsOneSecondAroundThePositionStoppingAtTheEnds)
{
    // duration, position; start of the visible second, playhead x at 400 wide
    const std::tuple<double, double, double, double> cases[] = {
        {180.0, 179.9, 179.0, 360.0}, {180.0, 500.0, 179.0, 398.0},  {0.4, 0.4, 0.0, 160.0},
        {0.0, 3.0, 0.0, 398.0},       {notANumber, 0.5, 0.0, 200.0}, {HUGE_VAL, 0.5, 0.0, 200.0},
        {10.0, -4.0, 0.0, 2.0},       {10.0, notANumber, 0.0, 2.0}};
    for (const auto& [duration, position, start, playheadX] : cases) {
        const WaveformWindow window = waveformWindow(duration, position);
        EXPECT_DOUBLE_EQ(window.visibleStart, start) << duration << " s at " << position;
        EXPECT_NEAR(waveformPlayheadX(window, 400.0), playheadX, 1e-9) << duration << " s";
    }
}

TEST(WaveformPeakLines, DrawEveryBinTouchingTheWindowOnPixelCentres)
{
    // Four seconds in eight bins of half a second; the window 1.5…2.5 s touches bins 2 to 5.
    const std::vector<float> peaks{0.1f, 0.2f, 1.0f, static_cast<float>(notANumber),
                                   0.5f, 1.7f, 1.0f, 1.0f};
    // Centre line 21.5; amplitude scale 33; values limited to 0…1, at least 1 point long.
    const std::vector<QLineF> expected{
        QLineF(1.5, 5.0, 1.5, 38.0), QLineF(100.5, 21.0, 100.5, 22.0),
        QLineF(300.5, 13.25, 300.5, 29.75), QLineF(399.5, 5.0, 399.5, 38.0)};
    EXPECT_EQ(waveformPeakLines(peaks, QRectF(0, 4, 400, 35), waveformWindow(4.0, 2.0)), expected);
}

} // namespace
