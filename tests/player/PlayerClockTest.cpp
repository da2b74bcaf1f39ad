#include "player/PlayerTestFixture.h"

#include "support/EventCount.h"
#include "support/TrackLoading.h"
#include "support/WidgetRendering.h"
#include "views/MiniScrubberView.h"
#include "views/WaveformView.h"

#include <cmath>

#include <QElapsedTimer>
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

TEST_F(PlayerClockTest, TheClockTicksNoFasterThanA60HzGridAndOnlyWhilePlaying)
{
    controller.loadPlaylist(tracks({"a"}), 0, false);
    QElapsedTimer clock;
    clock.start();
    controller.playButtonPressed(nullptr);
    // Each tick hands the waveform the player's time, which moves with the wall clock here.
    // Ticks may come late or be dropped, never early: the n-th is due n/60 s after the start
    // at the earliest. A plain 16 ms timer (62.5 Hz) brings its 60th at 0.96 s.
    int ticks = 0;
    double shown = controller.waveformView()->currentTime();
    while (ticks < 60 && clock.elapsed() < 5000) {
        current()->setCurrentTime(1.0 + static_cast<double>(clock.nsecsElapsed()) / 1e9);
        QTest::qWait(1);
        if (controller.waveformView()->currentTime() != shown) {
            shown = controller.waveformView()->currentTime();
            ++ticks;
            EXPECT_GE(static_cast<double>(clock.nsecsElapsed()) / 1e9, ticks / 60.0) << ticks;
        }
    }
    EXPECT_EQ(ticks, 60);
    controller.pauseButtonPressed(nullptr);
    EXPECT_FALSE(controller.isTimerRunning());
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
