#include "views/WaveformView.h"

#include "support/WidgetRendering.h"
#include "views/WaveformGeometry.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

TEST(WaveformViewTest, StripsHoldTranslucentLinesAndThePlayheadShowsThePosition)
{
    // At 60 s of 180 s the playhead, 2 wide, stands in the middle of 300. The full-scale lines
    // of the two strips end at rows 5, 39, 46 and 80 of 88; the rows beyond them are bare.
    const QColor background = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
    WaveformView view;
    view.setDuration(180.0);
    view.setPeaks(std::vector<float>(36000, 1.0f));
    view.setCurrentTime(60.0);
    const QImage image = renderWidget(view, {300, 88});
    const QColor line = QColor::fromRgbF(0.0304f, 0.4768f, 0.5388f); // (0, .72, .82) at 62 %
    auto count = [&](int y, const QColor& color) {
        int pixels = 0;
        for (int x = 4; x < 296; ++x) // clear of the rounded corners and the playhead
            pixels += x != 149 && x != 150 && colorNear(image.pixelColor(x, y), color);
        return pixels;
    };
    for (const int y : {5, 39, 46, 80})
        EXPECT_GT(count(y, line), 100) << y;
    for (const int y : {4, 40, 45, 81})
        EXPECT_EQ(count(y, background), 290) << y;
    const QColor playhead = view.palette().color(QPalette::Highlight);
    for (const int x : {148, 149, 150, 151})
        EXPECT_EQ(colorNear(image.pixelColor(x, 41), playhead), x == 149 || x == 150) << x;
}

TEST(WaveformViewTest, ShowsOneSecondAroundThePositionStoppingAtTheEnds)
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

} // namespace
