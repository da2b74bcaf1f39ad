#include "player/PlayerTestFixture.h"

#include "platform/AlertPresenter.h"
#include "ui/ElidedLabel.h"

namespace {

const QString openFailure = QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden.");

struct StartIndexCase
{
    qint64 startIndex;
    qint64 loaded;
};

class StartIndex : public PlayerTest, public ::testing::WithParamInterface<StartIndexCase>
{};

TEST_P(StartIndex, IsLimitedToThePlaylist)
{
    controller.loadPlaylist(tracks({"a", "b", "c"}), GetParam().startIndex, false);
    EXPECT_EQ(controller.playlistIndex(), GetParam().loaded);
    EXPECT_EQ(controller.currentFile(), controller.playlist()[GetParam().loaded]);
    ASSERT_TRUE(current());
    EXPECT_TRUE(current()->isPrepared());
    EXPECT_FLOAT_EQ(current()->volume(), 1.0f);
    EXPECT_FALSE(current()->isPlaying());
}

INSTANTIATE_TEST_SUITE_P(Clamping, StartIndex,
                         ::testing::Values(StartIndexCase{10, 2}, StartIndexCase{-5, 0},
                                           StartIndexCase{1, 1}));

TEST_F(PlayerTest, AnEmptyPlaylistChangesNothingAndThePlayingTrackGoesOn)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    FakeAudioPlayer* playing = current();
    controller.loadPlaylist({}, 0, true);
    EXPECT_EQ(current(), playing);
    EXPECT_TRUE(playing->isPlaying());
    EXPECT_EQ(controller.playlist().size(), 1);
    EXPECT_EQ(controller.analysisGeneration(), 1u);
}

TEST_F(PlayerTest, AutoplaySkipsUnopenableEntriesSilentlyAndCountsEachAttempt)
{
    controller.loadPlaylist(tracks({"broken0", "broken1", "good", "later"}), 0, true);
    EXPECT_TRUE(alerts.alerts.empty());
    EXPECT_EQ(players.attempts, QStringList({"broken0.mp3", "broken1.mp3", "good.mp3"}));
    EXPECT_EQ(controller.playlistIndex(), 2);
    EXPECT_EQ(controller.consecutiveLoadFailures(), 0u);
    EXPECT_EQ(controller.analysisGeneration(), 3u);
    ASSERT_TRUE(current());
    EXPECT_TRUE(current()->isPlaying());
}

TEST_F(PlayerTest, WithoutAutoplayTheFirstFailureIsReportedAndNothingSkipped)
{
    controller.loadPlaylist(tracks({"broken0", "broken1", "good"}), 0, false);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].messageText, openFailure);
    EXPECT_EQ(alerts.alerts[0].informativeText, QStringLiteral("broken0.mp3"));
    EXPECT_EQ(alerts.alerts[0].style, AlertPresenter::Style::Warning);
    EXPECT_EQ(controller.playlistIndex(), 0);
    EXPECT_FALSE(controller.player());
    EXPECT_EQ(controller.analysisGeneration(), 1u);
}

TEST_F(PlayerTest, AFailingLastEntryIsReportedEvenWithAutoplay)
{
    controller.loadPlaylist(tracks({"good", "broken"}), 1, true);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].informativeText, QStringLiteral("broken.mp3"));
    EXPECT_EQ(controller.currentFile(), track("broken"));
    EXPECT_FALSE(controller.isSecurityScopedAccessActive());
    EXPECT_EQ(controller.elapsedLabel()->text(), QStringLiteral("00:00"));
    EXPECT_EQ(controller.remainingLabel()->text(), QStringLiteral("-00:00"));
}

TEST_F(PlayerTest, AFailureKeepsThePreviousTracksTitleAndFrames)
{
    controller.loadPlaylist(tracks({"first"}), 0, false);
    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("first"));
    controller.loadFile(track("broken"), false);
    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("first"));
    EXPECT_EQ(controller.playlist(), QList<QUrl>{track("broken")});
}

TEST_F(PlayerTest, LoadingNothingFailsWithAnEmptyInformativeText)
{
    controller.loadFile(QUrl(), true);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_TRUE(alerts.alerts[0].informativeText.isEmpty());
    EXPECT_TRUE(players.attempts.isEmpty());
}

TEST_F(PlayerTest, AllEntriesBrokenEndsWithOneAlertForTheLast)
{
    controller.loadPlaylist(tracks({"broken0", "broken1", "broken2"}), 0, true);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].informativeText, QStringLiteral("broken2.mp3"));
    EXPECT_EQ(controller.analysisGeneration(), 3u);
}

TEST_F(PlayerTest, ALongChainOfBrokenEntriesDoesNotRecurse)
{
    QList<QUrl> urls;
    for (int i = 0; i < 2000; ++i)
        urls << track(QStringLiteral("broken%1").arg(i));
    controller.loadPlaylist(urls, 0, true);
    EXPECT_EQ(controller.analysisGeneration(), 2000u);
    EXPECT_EQ(controller.playlistIndex(), 1999);
    EXPECT_EQ(alerts.alerts.size(), 1u);
}

TEST_F(PlayerTest, ALoadDuringTheFailureAlertKeepsItsTrack)
{
    alerts.whileOpen = [this] {
        alerts.whileOpen = nullptr;
        controller.loadPlaylist(tracks({"other"}), 0, true);
    };
    controller.loadPlaylist(tracks({"broken"}), 0, false);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    ASSERT_TRUE(current());
    EXPECT_EQ(current()->path(), track("other").toLocalFile());
    EXPECT_TRUE(current()->isPlaying());
    EXPECT_TRUE(controller.isTimerRunning());
    EXPECT_TRUE(controller.isSecurityScopedAccessActive());
    EXPECT_EQ(controller.securityScopedURL(), track("other"));
}

TEST_F(PlayerTest, EveryLoadResetsTheLoopAndHoldsAccessToItsFileOnly)
{
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    current()->setCurrentTime(5.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(9.0);
    controller.setLoopEndAtCurrentTime();
    ASSERT_TRUE(controller.isLoopEnabled());
    controller.playNextTrack();
    EXPECT_EQ(controller.loopStart(), -1.0);
    EXPECT_EQ(controller.loopEnd(), -1.0);
    EXPECT_FALSE(controller.isLoopEnabled());
    EXPECT_EQ(controller.securityScopedURL(), track("b"));
    EXPECT_TRUE(controller.isSecurityScopedAccessActive());
}

} // namespace
