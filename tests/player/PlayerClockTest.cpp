#include "player/PlayerTestFixture.h"

#include "support/EventCount.h"
#include "support/TrackLoading.h"
#include "support/WidgetRendering.h"
#include "views/MiniScrubberView.h"
#include "views/WaveformView.h"

#include <cmath>

#include <QLabel>
#include <QMainWindow>
#include <QTest>
#include <QWindow>

namespace {

using PlayerClockTest = PlayerTest;

TEST_F(PlayerClockTest, ADurationOfZeroOrNotANumberNeitherScrubsNorEndsTheTrack)
{
    controller.updateTimeLabels(); // nothing loaded yet
    for (double duration : {0.0, std::nan("")}) {
        players.duration = duration;
        controller.loadPlaylist(tracks({"a", "b"}), 0, false);
        controller.scrubber()->setValue(0.7);
        controller.scrubberValueChanged(controller.scrubber());
        controller.updateTimeLabels();
        EXPECT_EQ(controller.playlistIndex(), 0);
        EXPECT_EQ(controller.elapsedLabel()->text() + controller.remainingLabel()->text(),
                  "00:00-00:00");
        EXPECT_EQ(controller.scrubber()->value(), 0.0);
    }
}

TEST_F(PlayerClockTest, TheTimeTextsFollowEachSecondAndLayTheWindowOutOnlyForMoreRoom)
{
    const auto shown = [&](double time) {
        current()->time = time;
        controller.updateTimeLabels();
        settleLayout(*controller.window());
        return controller.elapsedLabel()->text() + controller.remainingLabel()->text() + ' ' +
               controller.scrubber()->valueText();
    };
    players.duration = 7200.0;
    controller.loadPlaylist(tracks({"a", "broken"}), 0, false);
    opened();
    controller.showWindow();
    settleLayout(*controller.window());
    const int width = controller.elapsedLabel()->width();
    EventCount layouts(QEvent::LayoutRequest);
    EXPECT_EQ(shown(62.9), "01:02-118:57 01:02 von 120:00");
    EXPECT_EQ(layouts.settle(), 0);
    EXPECT_EQ(shown(6000.0), "100:00-20:00 100:00 von 120:00");
    EXPECT_GT(controller.elapsedLabel()->width(), width);
    shown(0.0);
    controller.playPlaylistIndex(1); // cannot be opened: no time, then the same seconds again
    opened();
    EXPECT_EQ(controller.elapsedLabel()->text() + controller.remainingLabel()->text(),
              "00:00-00:00");
    controller.loadPlaylist(tracks({"a"}), 0, false);
    EXPECT_EQ(shown(0.0), "00:00-120:00 00:00 von 120:00");
}

TEST_F(PlayerClockTest, UnseenTheClockStillEndsTheTrackAndExposedTheDisplaysShowItsTimeAtOnce)
{
    ASSERT_TRUE(loadAndOpen(controller, tracks({"a", "b"}), 0, true));
    controller.showWindow();
    controller.window()->setWindowState(Qt::WindowMinimized);
    // A player that stops at its end without a word: the clock finds the end.
    current()->playing = false;
    current()->time = players.duration;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller.playlistIndex() == 1 && !controller.isOpeningTrack(); }, 10000));

    current()->time = 50.0;
    controller.window()->setWindowState(Qt::WindowNoState);
    QExposeEvent exposed(QRect(QPoint(), controller.window()->size()));
    QCoreApplication::sendEvent(controller.window()->windowHandle(), &exposed);
    EXPECT_EQ(controller.waveformView()->currentTime(), 50.0);
    EXPECT_DOUBLE_EQ(controller.scrubber()->value(), 0.25);
}

} // namespace
