#include "player/PlayerTestFixture.h"

#include "support/EventLoop.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TransportButton.h"

#include <map>

using namespace std::chrono_literals;

namespace {

class ChooseFileRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QObject*> senders;

public Q_SLOTS:
    void chooseFile(QObject* sender) { senders << sender; }
};

TEST_F(PlayerTest, PlayPauseAndStopDriveTheButtonsTimerAndReels)
{
    controller.loadPlaylist(tracks({"a"}), 0, false);
    controller.playButtonPressed(nullptr);
    EXPECT_TRUE(current()->isPlaying());
    EXPECT_TRUE(controller.playButton()->isTransportActive());
    EXPECT_TRUE(controller.isTimerRunning());
    EXPECT_TRUE(controller.backgroundView()->isReelsAnimating());

    current()->setCurrentTime(42.0);
    controller.pauseButtonPressed(nullptr);
    EXPECT_TRUE(controller.isPaused());
    EXPECT_TRUE(controller.pauseButton()->isTransportActive());
    EXPECT_FALSE(controller.playButton()->isTransportActive());
    EXPECT_FALSE(controller.isTimerRunning());
    EXPECT_FALSE(controller.backgroundView()->isReelsAnimating());

    controller.pauseButtonPressed(nullptr); // pause does not resume
    EXPECT_TRUE(controller.isPaused());
    EXPECT_FALSE(current()->isPlaying());

    controller.playButtonPressed(nullptr);
    EXPECT_DOUBLE_EQ(current()->currentTime(), 42.0);
    EXPECT_FALSE(controller.isPaused());

    controller.stopButtonPressed(nullptr);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 0.0);
    EXPECT_FALSE(controller.isTimerRunning());
    EXPECT_FALSE(controller.pauseButton()->isTransportActive());
}

TEST_F(PlayerTest, TheVintagePlayPauseKeyToggles)
{
    controller.vintagePlayPausePressed(nullptr); // no track: nothing
    controller.loadPlaylist(tracks({"a"}), 0, false);
    controller.vintagePlayPausePressed(nullptr);
    EXPECT_TRUE(current()->isPlaying());
    controller.vintagePlayPausePressed(nullptr);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_TRUE(controller.isPaused());
}

TEST_F(PlayerTest, NextWalksForwardAndStopsRewoundAtTheEndOfTheList)
{
    controller.loadPlaylist(tracks({"a", "b", "c"}), 0, true);
    controller.nextButtonPressed(nullptr);
    EXPECT_EQ(controller.playlistIndex(), 1);
    controller.playNextTrack();
    EXPECT_EQ(controller.playlistIndex(), 2);
    current()->setCurrentTime(30.0);
    const std::uint64_t generation = controller.analysisGeneration();
    controller.playNextTrack();
    EXPECT_EQ(controller.playlistIndex(), 2);
    EXPECT_EQ(controller.analysisGeneration(), generation); // no reload, no wrap
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 0.0);
    EXPECT_FALSE(controller.isAdvancingTrack());
}

TEST_F(PlayerTest, ShuffleDrawsUniformlyAmongTheLaterEntries)
{
    QList<QUrl> urls;
    for (int i = 0; i < 10; ++i)
        urls << track(QStringLiteral("t%1").arg(i));
    controller.setShuffleEnabled(true);
    std::map<qint64, int> counts;
    constexpr int draws = 1800;
    for (int i = 0; i < draws; ++i) {
        controller.loadPlaylist(urls, 0, false);
        controller.playNextTrack();
        ++counts[controller.playlistIndex()];
    }
    ASSERT_EQ(counts.size(), 9u);
    for (const auto& [index, count] : counts) {
        EXPECT_GE(index, 1);
        // 200 expected per entry; six standard deviations either way.
        EXPECT_GT(count, 200 - 80) << index;
        EXPECT_LT(count, 200 + 80) << index;
    }
    controller.loadPlaylist(urls, 8, false);
    controller.playNextTrack();
    EXPECT_EQ(controller.playlistIndex(), 9);
}

struct PreviousCase
{
    double time;
    qint64 expectedIndex;
    bool reloads;
};

class Previous : public PlayerTest, public ::testing::WithParamInterface<PreviousCase>
{};

TEST_P(Previous, RestartsAfterThreeSecondsAndGoesBackBefore)
{
    const PreviousCase c = GetParam();
    controller.loadPlaylist(tracks({"t0", "t1", "t2", "t3", "t4"}), c.expectedIndex == 0 ? 0 : 4,
                            true);
    current()->setCurrentTime(c.time);
    const std::uint64_t generation = controller.analysisGeneration();
    controller.previousButtonPressed(nullptr);
    EXPECT_EQ(controller.playlistIndex(), c.expectedIndex);
    EXPECT_EQ(controller.analysisGeneration(), generation + (c.reloads ? 1 : 0));
    EXPECT_DOUBLE_EQ(current()->currentTime(), 0.0);
    EXPECT_TRUE(current()->isPlaying());
}

INSTANTIATE_TEST_SUITE_P(ThreeSecondRule, Previous,
                         ::testing::Values(PreviousCase{2.9, 3, true}, PreviousCase{3.0, 3, true},
                                           PreviousCase{3.1, 4, false},
                                           PreviousCase{1.0, 0, true}));

TEST_F(PlayerTest, AQueueChoicePlaysItsEntryAndOtherIndicesDoNothing)
{
    controller.loadPlaylist(tracks({"a", "b", "c"}), 0, false);
    const std::uint64_t generation = controller.analysisGeneration();
    controller.playPlaylistIndex(-1);
    controller.playPlaylistIndex(3);
    EXPECT_EQ(controller.analysisGeneration(), generation);
    controller.playPlaylistIndex(2);
    EXPECT_EQ(controller.playlistIndex(), 2);
    EXPECT_TRUE(current()->isPlaying());
}

TEST_F(PlayerTest, TheNaturalEndAdvancesOnceAfterThePlayersCallHasReturned)
{
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    current()->finishNaturally();
    EXPECT_EQ(controller.playlistIndex(), 0); // not within the player's own call
    processEventsFor(20ms);
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_EQ(controller.analysisGeneration(), 2u);

    current()->finishNaturally();
    processEventsFor(20ms);
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_FALSE(controller.playButton()->isTransportActive());
    EXPECT_EQ(controller.analysisGeneration(), 2u);
}

TEST_F(PlayerTest, AStaleEndNoticeIsDropped)
{
    controller.loadPlaylist(tracks({"a", "b", "c"}), 0, true);
    current()->finishNaturally();
    controller.playPlaylistIndex(2); // the user moves on before the notice is handled
    processEventsFor(20ms);
    EXPECT_EQ(controller.playlistIndex(), 2);
    EXPECT_TRUE(current()->isPlaying());
}

TEST_F(PlayerTest, EjectStopsAndAsksTheApplicationForFiles)
{
    ChooseFileRecorder delegate;
    controller.setApplicationDelegate(&delegate);
    controller.loadPlaylist(tracks({"a"}), 0, true);
    current()->setCurrentTime(12.0);
    controller.ejectButtonPressed(nullptr);
    EXPECT_FALSE(current()->isPlaying());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 0.0);
    EXPECT_EQ(delegate.senders, QList<QObject*>{&controller});
    EXPECT_EQ(controller.playlist().size(), 1);
}

TEST_F(PlayerTest, UpcomingItemsListTheLaterEntriesByFileTitle)
{
    controller.loadPlaylist(tracks({"t0", "t1", "t2", "t3", "t4"}), 1, false);
    const std::vector<UpcomingTrackItem> expected{{2, "t2"}, {3, "t3"}, {4, "t4"}};
    EXPECT_EQ(controller.upcomingTrackItems(), expected);
    controller.playPlaylistIndex(4);
    EXPECT_TRUE(controller.upcomingTrackItems().empty());
    controller.showUpcomingTracks();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].messageText, QStringLiteral("Warteschlange"));
    EXPECT_EQ(alerts.alerts[0].informativeText,
              QStringLiteral("Keine weiteren Titel in der Liste."));
    EXPECT_FALSE(controller.queueWindow());
}

} // namespace

#include "PlayerTransportTest.moc"
