#include "player/PlayerTestFixture.h"

#include "support/EventLoop.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/WaveformView.h"

#include <numbers>

#include <QElapsedTimer>
#include <QLabel>

using namespace std::chrono_literals;

namespace {

QStringList timeLabels(const PlayerWindowController& controller)
{
    return {controller.elapsedLabel()->text(), controller.remainingLabel()->text()};
}

TEST_F(PlayerTest, WithoutATrackTheDisplaysShowSilence)
{
    controller.updateTimeLabels();
    EXPECT_EQ(timeLabels(controller), QStringList({"00:00", "-00:00"}));
    EXPECT_EQ(controller.meterView()->leftDB(), -60.0f);
    EXPECT_EQ(controller.meterView()->rightDB(), -60.0f);
}

TEST_F(PlayerTest, TheLabelsShowElapsedAndRemainingTime)
{
    players.duration = 185.4;
    controller.loadPlaylist(tracks({"a"}), 0, false);
    EXPECT_EQ(timeLabels(controller), QStringList({"00:00", "-03:05"}));
    current()->setCurrentTime(185.4);
    current()->play(); // playing at the very end: no end fallback yet
    controller.updateTimeLabels();
    EXPECT_EQ(timeLabels(controller), QStringList({"03:05", "-00:00"}));
    EXPECT_DOUBLE_EQ(controller.scrubber()->value(), 1.0);

    current()->setCurrentTime(-2.0);
    controller.updateTimeLabels();
    EXPECT_EQ(timeLabels(controller), QStringList({"00:00", "-03:05"}));
    EXPECT_DOUBLE_EQ(controller.scrubber()->value(), 0.0);
}

TEST_F(PlayerTest, ScrubbingMovesThePositionWhilePausedWithoutPlaying)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    controller.pauseButtonPressed(nullptr);
    controller.scrubber()->setValue(0.5);
    controller.scrubberValueChanged(controller.scrubber());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 100.0);
    EXPECT_EQ(timeLabels(controller), QStringList({"01:40", "-01:40"}));
    EXPECT_DOUBLE_EQ(controller.waveformView()->currentTime(), 100.0);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_TRUE(controller.isPaused());
}

TEST_F(PlayerTest, ScrubbingToTheEndWhilePausedIsTheEndOfTheTrack)
{
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    controller.pauseButtonPressed(nullptr);
    controller.scrubber()->setValue(1.0);
    controller.scrubberValueChanged(controller.scrubber());
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_TRUE(current()->isPlaying());
}

TEST_F(PlayerTest, ADurationOfZeroOrNotANumberNeitherScrubsNorEnds)
{
    for (double duration : {0.0, std::nan("")}) {
        players.duration = duration;
        controller.loadPlaylist(tracks({"a", "b"}), 0, false);
        controller.scrubber()->setValue(0.7);
        controller.scrubberValueChanged(controller.scrubber());
        controller.updateTimeLabels();
        EXPECT_DOUBLE_EQ(controller.scrubber()->value(), 0.0);
        EXPECT_EQ(controller.playlistIndex(), 0);
        EXPECT_EQ(timeLabels(controller), QStringList({"00:00", "-00:00"}));
    }
}

TEST_F(PlayerTest, TheReelsTurnOnlyInTheVintageDesignWhilePlaying)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    controller.updateTimeLabels();
    EXPECT_EQ(controller.backgroundView()->reelRotation(), 0.0);

    controller.backgroundView()->setVintageEnabled(true);
    controller.backgroundView()->setReelRotation(6.2);
    controller.updateTimeLabels();
    EXPECT_NEAR(controller.backgroundView()->reelRotation(), 6.38 - 2 * std::numbers::pi, 1e-12);
    controller.updateTimeLabels();
    EXPECT_NEAR(controller.backgroundView()->reelRotation(), 6.56 - 2 * std::numbers::pi, 1e-12);

    controller.pauseButtonPressed(nullptr);
    const double held = controller.backgroundView()->reelRotation();
    controller.updateTimeLabels();
    EXPECT_EQ(controller.backgroundView()->reelRotation(), held);
}

TEST_F(PlayerTest, TheClockTicksSixtyTimesASecondOnlyWhilePlaying)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    // Each tick hands the waveform the player's time: count the ticks through it.
    int ticks = 0;
    QElapsedTimer clock;
    clock.start();
    double lastTime = -1.0;
    while (clock.elapsed() < 1000) {
        current()->setCurrentTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        processEventsFor(1ms);
        if (controller.waveformView()->currentTime() != lastTime) {
            lastTime = controller.waveformView()->currentTime();
            ++ticks;
        }
    }
    // A behaviour check with wide margins, not a timing target.
    EXPECT_GT(ticks, 30);
    EXPECT_LT(ticks, 75);

    controller.pauseButtonPressed(nullptr);
    EXPECT_FALSE(controller.isTimerRunning());
}

} // namespace
