#include "player/PlayerTestFixture.h"

#include "support/WidgetRendering.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TapeDeckLayout.h"

#include <algorithm>

#include <QLabel>
#include <QMainWindow>
#include <QScreen>

namespace {

using PlayerLayoutsTest = PlayerTest;

TEST_F(PlayerLayoutsTest, TheTapeDeckHoldsTheViewsOverItsDarkPlacesAndGivesTheColumnBack)
{
    QWidget* const content = controller.backgroundView();
    controller.showWindow();
    controller.resizeWindowToFitContentAnimated(false);
    settleLayout(*controller.window());
    const QImage standard = content->grab().toImage();

    controller.setVintageDesignEnabled(true);
    // The displays' hidden flags survive the move: the feed skips a hidden display.
    EXPECT_TRUE(controller.isLEDVisible() && controller.isWaveformVisible() &&
                controller.isSpectrumVisible());
    controller.setVintageDesignEnabled(true);
    controller.setLEDVisible(false); // refused
    controller.setWaveformVisible(true);
    settleLayout(*controller.window());
    // Under the title, the time row, the waveform, the spectrum and the meter.
    const std::vector<QRect> frames{{94, 48, 648, 20},
                                    {94, 76, 648, 16},
                                    {84, 108, 668, 88},
                                    {24, 282, 190, 70},
                                    {624, 302, 190, 50}};
    const QImage panel = renderWidget(*controller.backgroundView(), {836, 471});
    auto luminance = [&](QPointF p) { return qGray(panel.pixel(p.toPoint())) / 255.0; };
    // Under each, the panel is darker than 0.15 and within 0.04: its deviation is at most 0.02.
    for (const QRect frame : frames) {
        std::vector<double> levels;
        for (int y = frame.top(); y <= frame.bottom(); ++y)
            for (int x = frame.left(); x <= frame.right(); ++x)
                levels.push_back(luminance(QPointF(x, y)));
        const auto [darkest, lightest] = std::minmax_element(levels.begin(), levels.end());
        EXPECT_TRUE(*lightest < 0.15 && *lightest - *darkest < 0.04)
            << frame.x() << "," << frame.y();
    }

    controller.setVintageDesignEnabled(false);
    controller.setLoopControlsVisible(true); // as its stored preference would
    settleLayout(*controller.window());
    EXPECT_TRUE(content->grab().toImage() == standard);
}

TEST_F(PlayerLayoutsTest, TheTapeDeckGrowsTheWindowOnlyAsFarAsTheScreenAllows)
{
    controller.showWindow();
    settleLayout(*controller.window());
    const QRect area = controller.window()->screen()->availableGeometry();
    controller.window()->move(area.right() - 340, area.y() + 10); // the standard look fits
    controller.setVintageDesignEnabled(true);
    settleLayout(*controller.window());
    const QRect frame = controller.window()->frameGeometry();
    ASSERT_GE(frame.width(), 836);
    EXPECT_EQ(frame.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    EXPECT_EQ(frame.top(),
              std::max(area.top(), std::min(area.y() + 10, area.bottom() + 1 - frame.height())));
}

} // namespace
