#include "player/PlayerWindowController.h"

#include "platform/Mp3AudioPlayer.h"
#include "support/EventLoop.h"
#include "support/FixtureFiles.h"
#include "support/RecordingAlertPresenter.h"
#include "views/TransportButton.h"
#include "views/WaveformView.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

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
    ASSERT_TRUE(controller.player());
    EXPECT_TRUE(controller.player()->isPlaying());
    ASSERT_TRUE(processEventsUntil([&] { return controller.playlistIndex() == 1; }, 10s));
    EXPECT_EQ(controller.analysisGeneration(), 2u);
    ASSERT_TRUE(processEventsUntil([&] { return !controller.isTimerRunning(); }, 10s));
    processEventsFor(300ms);

    EXPECT_EQ(controller.analysisGeneration(), 2u); // advanced exactly once
    EXPECT_EQ(controller.playlistIndex(), 1);
    ASSERT_TRUE(controller.player());
    EXPECT_FALSE(controller.player()->isPlaying());
    EXPECT_EQ(controller.player()->currentTime(), 0.0);
    EXPECT_FALSE(controller.playButton()->isTransportActive());
    EXPECT_FALSE(controller.bassMeterFrames().empty());
    EXPECT_FALSE(controller.spectrumFrames().empty());
    EXPECT_FALSE(controller.waveformView()->leftPeaks().empty());
    EXPECT_TRUE(alerts.alerts.empty());
}

} // namespace
