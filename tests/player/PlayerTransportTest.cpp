#include "player/PlayerTestFixture.h"

#include "views/TapeDeckBackgroundView.h"

#include <array>
#include <tuple>

#include <QCoreApplication>

namespace {

using PlayerTransportTest = PlayerTest;

TEST_F(PlayerTransportTest, PlayPauseAndStopDriveThePlayerTheClockAndTheReels)
{
    using Press = void (PlayerWindowController::*)(QObject*);
    const Press play = &PlayerWindowController::playButtonPressed;
    const Press pause = &PlayerWindowController::pauseButtonPressed;
    const Press key = &PlayerWindowController::vintagePlayPausePressed;
    const Press stop = &PlayerWindowController::stopButtonPressed;
    controller.loadPlaylist({}, 0, true); // without a track: nothing
    for (const Press press : {play, pause, key, stop})
        (controller.*press)(nullptr);
    controller.loadPlaylist(tracks({"a"}), 0, false);
    current()->setCurrentTime(42.0);
    // After each press: playing, paused, the clock and the reels running; pause does not
    // resume, the vintage key toggles, only stop rewinds.
    const std::pair<Press, std::array<bool, 4>> presses[] = {
        {play, {1, 0, 1, 1}}, {pause, {0, 1, 0, 0}}, {pause, {0, 1, 0, 0}}, {key, {1, 0, 1, 1}},
        {key, {0, 1, 0, 0}},  {play, {1, 0, 1, 1}},  {stop, {0, 0, 0, 0}}};
    for (const auto& [press, state] : presses) {
        (controller.*press)(nullptr);
        EXPECT_EQ((std::array<bool, 4>{current()->isPlaying(), controller.isPaused(),
                                       controller.isTimerRunning(),
                                       controller.backgroundView()->isReelsAnimating()}),
                  state);
        EXPECT_EQ(current()->currentTime(), press == stop ? 0.0 : 42.0);
    }
}

TEST_F(PlayerTransportTest,
       TheNaturalEndAdvancesOnceAfterThePlayersCallHasReturnedAndOnlyAStaleOneNot)
{
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    current()->finishNaturally();
    EXPECT_EQ(controller.playlistIndex(), 0); // not within the player's own call
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(controller.playlistIndex(), 1);
    current()->finishNaturally();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_EQ(controller.analysisGeneration(), 2u);
    // A notice from before the user moved on is dropped.
    controller.loadPlaylist(tracks({"a", "b", "c"}), 0, true);
    current()->finishNaturally();
    controller.playPlaylistIndex(2);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(controller.playlistIndex(), 2);
    EXPECT_TRUE(current()->isPlaying());
    // One from a track opened while the failure alert of "next" is up is current: it advances.
    controller.loadPlaylist(tracks({"a", "broken"}), 0, true);
    alerts.whileOpen = [this] {
        controller.loadPlaylist(tracks({"x", "y"}), 0, true);
        current()->finishNaturally();
        QCoreApplication::sendPostedEvents();
    };
    controller.nextButtonPressed(nullptr);
    opened();
    EXPECT_EQ(controller.currentFile(), track("y"));
    EXPECT_TRUE(current() && current()->isPlaying());
}

TEST_F(PlayerTransportTest, UpcomingItemsListTheLaterEntriesByFileTitle)
{
    int queueWindowsMade = 0;
    controller.setQueueWindowFactory([&](PlayerWindowController*) {
        ++queueWindowsMade;
        return std::unique_ptr<UpcomingTracksWindow>();
    });
    controller.loadPlaylist(tracks({"t0", "t1", "t2", "t3", "t4"}), 1, false);
    EXPECT_EQ(controller.upcomingTrackItems().size(), 3u); // the queue's test reads them
    controller.playPlaylistIndex(4);
    EXPECT_TRUE(controller.upcomingTrackItems().empty());
    controller.showUpcomingTracks();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].messageText, QStringLiteral("Warteschlange"));
    EXPECT_EQ(alerts.alerts[0].informativeText,
              QStringLiteral("Keine weiteren Titel in der Liste."));
    EXPECT_EQ(queueWindowsMade, 0);
}

} // namespace
