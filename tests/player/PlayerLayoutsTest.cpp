#include "player/PlayerTestFixture.h"

#include "support/WidgetRendering.h"
#include "views/TapeDeckBackgroundView.h"

#include <algorithm>

#include <QMainWindow>
#include <QScreen>

namespace {

using PlayerLayoutsTest = PlayerTest;

TEST_F(PlayerLayoutsTest, TheTapeDeckKeepsTheDisplaysFlagsAndGivesTheColumnBack)
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
