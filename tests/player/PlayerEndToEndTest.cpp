#include "player/PlayerWindowController.h"

#include "platform/Mp3AudioPlayer.h"
#include "support/FixtureFiles.h"
#include "support/RecordingAlertPresenter.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PlayerEndToEnd, ATwoTrackPlaylistPlaysThroughAndStopsRewound)
{
    FixtureFiles files;
    const QList<QUrl> playlist{
        QUrl::fromLocalFile(files.writeMp3("one.mp3", sineWave(220, 0.5, 44100, 2, 44100))),
        QUrl::fromLocalFile(files.writeMp3("two.mp3", sineWave(440, 0.5, 44100, 2, 44100)))};
    RecordingAlertPresenter alerts;
    PlayerWindowController controller(Mp3AudioPlayer::factory(), alerts);

    controller.loadPlaylist(playlist, 0, true);
    ASSERT_TRUE(controller.player() && controller.player()->isPlaying());
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.playlistIndex() == 1; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.isTimerRunning(); }, 10000));
    QTest::qWait(300);

    EXPECT_EQ(controller.analysisGeneration(), 2u); // advanced exactly once
    EXPECT_EQ(controller.playlistIndex(), 1);
    ASSERT_TRUE(controller.player());
    EXPECT_TRUE(!controller.player()->isPlaying() && controller.player()->currentTime() == 0.0);
    EXPECT_FALSE(controller.bassMeterFrames().empty() || controller.spectrumFrames().empty());
    EXPECT_TRUE(alerts.alerts.empty());
}

} // namespace
