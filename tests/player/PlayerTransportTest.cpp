#include "player/PlayerTestFixture.h"

#include "support/WidgetRendering.h"
#include "ui/QueueWindowController.h"

#include <tuple>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>

namespace {

using PlayerTransportTest = PlayerTest;

// On a slow disk a track takes seconds to open: what the user asks meanwhile counts, and the
// keys and times show the track that opens. The model test gives every command while a track
// opens; these are the cases it reaches seldom.
TEST_F(PlayerTransportTest, StopPauseAndPlayGivenWhileATrackOpensHoldOnceItHasOpened)
{
    players.heldName = "slow";
    controller.loadPlaylist(tracks({"old"}), 0, true);
    current()->time = 50.0;
    // Autoplay, the commands; then playing and paused once it has opened.
    const std::tuple<bool, std::vector<void (PlayerWindowController::*)()>, bool, bool> cases[] = {
        {true, {&PlayerWindowController::stop}, false, false},
        {true, {&PlayerWindowController::pause}, false, true},
        {false, {&PlayerWindowController::togglePlayPause}, true, false},
        // An opening that is to stay stopped cannot be paused.
        {true, {&PlayerWindowController::stop, &PlayerWindowController::pause}, false, false},
        {false, {&PlayerWindowController::pause}, false, false}};
    for (const auto& [autoplay, commands, playing, paused] : cases) {
        SCOPED_TRACE(testing::Message() << autoplay << " then " << commands.size() << " commands");
        controller.loadPlaylist(tracks({"slow"}), 0, autoplay);
        for (const auto command : commands)
            (controller.*command)();
        EXPECT_EQ(std::pair(isLit(*controller.window(), TransportIconType::Play),
                            isLit(*controller.window(), TransportIconType::Pause)),
                  std::pair(playing, paused));
        EXPECT_EQ(controller.elapsedLabel()->text() + controller.remainingLabel()->text(),
                  "00:00-00:00");
        players.released.release();
        ASSERT_TRUE(current());
        EXPECT_EQ(std::tuple(current()->isPlaying(), controller.isPaused(),
                             controller.isTimerRunning(), current()->currentTime()),
                  std::tuple(playing, paused, playing, 0.0));
    }
}

// An entry that waits after "stop after this track" waits on for Play when tracks are added; that
// an addition starts a list that has ended is the model test's to check.
TEST_F(PlayerTransportTest, AnAdditionLeavesTheEntryThatWaitsAfterTheMark)
{
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    controller.setStopAfterCurrentTrack(true);
    current()->finishNaturally();
    QCoreApplication::sendPostedEvents();
    opened();
    controller.appendToPlaylist(tracks({"c"}));
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_FALSE(current()->isPlaying());
}

// After a chain of entries that would not open, Previous goes one back from where the chain
// ended, and tries that entry alone.
TEST_F(PlayerTransportTest, PreviousAfterAChainThatWouldNotOpenGoesBackFromItsEnd)
{
    controller.loadPlaylist(tracks({"broken0", "broken1", "broken2"}), 0, true);
    opened();
    controller.previousButtonPressed(nullptr);
    opened();
    EXPECT_EQ(controller.playlistIndex(), 1);
    ASSERT_EQ(alerts.alerts.size(), 2u);
    EXPECT_EQ(alerts.alerts[0].informativeText, "broken2.mp3");
    EXPECT_EQ(alerts.alerts[1].informativeText, "broken1.mp3");
    // Only the entries skipped count as failures in a row, not the one reported: back from
    // such a chain, the skip goes on to its end again. Index, file and title name the entry
    // reported.
    alerts.alerts.clear();
    controller.loadPlaylist(tracks({"t0", "broken1", "broken2"}), 0, true);
    opened();
    for (const char* press : {"next", "previous"}) {
        SCOPED_TRACE(press);
        if (press == std::string("next"))
            controller.nextButtonPressed(nullptr);
        else
            controller.previousButtonPressed(nullptr);
        opened();
        ASSERT_FALSE(alerts.alerts.empty());
        const QString shown = controller.currentFile().fileName() + '|' +
                              controller.titleLabel()->text() + '|' +
                              alerts.alerts.back().informativeText;
        EXPECT_EQ(controller.playlistIndex(), 2);
        EXPECT_EQ(shown.toStdString(), "broken2.mp3|broken2|broken2.mp3");
    }
}

// The next entry opens behind the track that is about to end and takes over at its end without
// opening again; one opened for the order then in force is dropped when shuffle changes it.
// Under "Automatisch" the order decides the gain too: the album's in order, the track's shuffled.
// Ten seconds before the end the next entry opens, and it starts behind the current one's last
// frame; one that the rules no longer choose (shuffle switched) is dropped unheard, and the
// rule's own choice plays.
TEST_F(PlayerTransportTest, TheNextEntryOpensTenSecondsAheadAndOnlyTheRulesChoiceIsHeard)
{
    QStringList tried; // the files tried since it was last emptied
    const auto triedSoon = [&](qsizetype count) {
        return QTest::qWaitFor([&] { return (tried += players.takeAttempts()).size() >= count; },
                               9000);
    };
    controller.setReplayGainMode(ReplayGainMode::Automatic);
    for (const bool shuffled : {false, true}) {
        controller.setShuffleEnabled(false);
        controller.loadPlaylist(tracks({"a", "b", "c"}), 0, true);
        current()->time = 191.0;
        EXPECT_TRUE(triedSoon(2));
        EXPECT_EQ(std::exchange(tried, {}), QStringList({"a.mp3", "b.mp3"}));
        controller.setShuffleEnabled(shuffled);
        EXPECT_TRUE(!shuffled || triedSoon(1)); // chosen again, by the other rule
        current()->delegate->audioPlayerWillFinishPlaying(current()); // the last frames handed
        current()->finishNaturally();
        QCoreApplication::sendPostedEvents();
        opened();
        EXPECT_EQ(QFileInfo(controller.currentFile().toLocalFile()).fileName(),
                  std::exchange(tried, {}).value(0, "b.mp3"));
        EXPECT_TRUE(players.takeAttempts().isEmpty() && current()->isPlaying()); // it was ready
        EXPECT_EQ(current()->replayGainMode,
                  shuffled ? ReplayGainMode::Track : ReplayGainMode::Album);
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
    EXPECT_EQ(controller.analysisGeneration(), 2u); // once
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

// The queue window's test reads the later entries; without any, an alert says so.
TEST_F(PlayerTransportTest, WithoutALaterEntryTheQueueIsAnAlert)
{
    controller.setQueueWindowFactory(QueueWindowController::factory());
    controller.loadPlaylist(tracks({"t0", "t1"}), 1, false);
    controller.showUpcomingTracks();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].messageText + '|' + alerts.alerts[0].informativeText,
              "Warteschlange|Keine weiteren Titel in der Liste.");
    EXPECT_FALSE(controller.queueWindow());
}

} // namespace
