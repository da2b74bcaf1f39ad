#include "player/PlayerTestFixture.h"

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"
#include "support/EventLoop.h"
#include "support/FixtureFiles.h"
#include "support/PaintCount.h"
#include "ui/ElidedLabel.h"
#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <QThreadPool>

using namespace std::chrono_literals;

namespace {

std::vector<float> levelsOf(float value)
{
    return std::vector<float>(16, value);
}

class FeedTest : public PlayerTest
{
protected:
    void loadWithFrames()
    {
        controller.loadPlaylist(tracks({"a"}), 0, false);
        // The missing file's own analyses come back empty; let them land first.
        QThreadPool::globalInstance()->waitForDone();
        processEventsFor(10ms);
        controller.setBassMeterFrames({{-10.0f, -20.0f}, {-3.0f, -4.0f}, {1.0f, 2.0f}});
        controller.setSpectrumFrames({levelsOf(0.1f), levelsOf(0.5f), levelsOf(0.9f)});
    }
};

TEST_F(FeedTest, TheMeterFollowsThePlayingPositionAndShowsSilenceOtherwise)
{
    loadWithFrames();
    const double frame = controller.bassMeterFrameDuration();
    ASSERT_GT(frame, 0.0);
    current()->play();
    current()->setCurrentTime(1.5 * frame);
    controller.updateMeters();
    EXPECT_EQ(controller.meterView()->leftDB(), -3.0f);
    EXPECT_EQ(controller.meterView()->rightDB(), -4.0f);

    current()->setCurrentTime(1000.0 * frame); // beyond the last frame
    controller.updateMeters();
    EXPECT_EQ(controller.meterView()->leftDB(), 1.0f);

    current()->pause();
    controller.updateMeters();
    EXPECT_EQ(controller.meterView()->leftDB(), -60.0f);
    EXPECT_EQ(controller.meterView()->rightDB(), -60.0f);
}

TEST_F(FeedTest, TheSpectrumShowsTheFrameOfTheTimeEvenWhilePaused)
{
    loadWithFrames();
    const double frame = controller.spectrumFrameDuration();
    ASSERT_GT(frame, 0.0);
    controller.updateSpectrumForTime(1.2 * frame);
    EXPECT_EQ(controller.spectrumView()->levels(), levelsOf(0.5f));
    controller.updateSpectrumForTime(0.0);
    EXPECT_EQ(controller.spectrumView()->levels(), levelsOf(0.1f));
    controller.updateSpectrumForTime(1e9);
    EXPECT_EQ(controller.spectrumView()->levels(), levelsOf(0.9f));
    controller.updateSpectrumForTime(std::nan(""));
    EXPECT_EQ(controller.spectrumView()->levels(), levelsOf(0.1f));

    controller.setSpectrumFrames({});
    controller.updateSpectrumForTime(0.0);
    EXPECT_EQ(controller.spectrumView()->levels(), emptySpectrumLevels());
}

TEST_F(FeedTest, HiddenDisplaysReceiveNothing)
{
    loadWithFrames();
    current()->play();
    current()->setCurrentTime(0.0);
    controller.updateMeters();
    controller.updateSpectrumForTime(0.0);
    controller.setLEDVisible(false);
    controller.setSpectrumVisible(false);
    ASSERT_EQ(controller.meterView()->leftDB(), -60.0f);
    ASSERT_EQ(controller.spectrumView()->levels(), emptySpectrumLevels());

    current()->setCurrentTime(2.5 * controller.bassMeterFrameDuration());
    controller.updateTimeLabels();
    EXPECT_EQ(controller.meterView()->leftDB(), -60.0f);
    EXPECT_EQ(controller.spectrumView()->levels(), emptySpectrumLevels());
}

class AnalysisJobsTest : public ::testing::Test
{
protected:
    // Fake players, real files: the analyses decode what the fixtures wrote.
    AnalysisJobsTest() : controller(players.factory(), alerts) { players.duration = 2.0; }

    FixtureFiles files;
    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller;
};

TEST_F(AnalysisJobsTest, AStaleResultIsDroppedEvenWhenItFinishesFirst)
{
    Mp3Options tagged;
    tagged.id3v2Title = "Erstes Stück";
    const QUrl first = QUrl::fromLocalFile(
        files.writeMp3("first.mp3", sineWave(1000, 0.9, 44100, 2, 2 * 44100), tagged));
    const QUrl second = QUrl::fromLocalFile(files.writeMp3("second.mp3", silence(44100, 2, 44100)));

    controller.loadPlaylist({first}, 0, false);
    // The first track's jobs all finish and post their results, which wait in the queue.
    QThreadPool::globalInstance()->waitForDone();
    controller.loadPlaylist({second}, 0, false);
    ASSERT_TRUE(processEventsUntil([&] { return !controller.spectrumFrames().empty(); }, 10s));
    QThreadPool::globalInstance()->waitForDone();
    processEventsFor(20ms);

    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("second"));
    // Silence: every bass frame at -60 dB and every spectrum level 0, none of the sine's.
    ASSERT_FALSE(controller.bassMeterFrames().empty());
    for (const auto& frame : controller.bassMeterFrames())
        EXPECT_EQ(frame[0], -60.0f);
    for (const auto& levels : controller.spectrumFrames())
        EXPECT_EQ(levels, emptySpectrumLevels());
    ASSERT_FALSE(controller.waveformView()->leftPeaks().empty());
    for (float peak : controller.waveformView()->leftPeaks())
        EXPECT_EQ(peak, 0.0f);
}

TEST_F(AnalysisJobsTest, ResultsOfTheCurrentTrackReachTheDisplays)
{
    Mp3Options tagged;
    tagged.id3v2Title = "Grüße";
    const QUrl url = QUrl::fromLocalFile(
        files.writeMp3("tone.mp3", sineWave(50, 0.9, 44100, 2, 2 * 44100), tagged));
    controller.loadPlaylist({url}, 0, false);
    ASSERT_TRUE(processEventsUntil(
        [&] {
            return controller.titleLabel()->text() == QStringLiteral("Grüße") &&
                   !controller.bassMeterFrames().empty() && !controller.spectrumFrames().empty() &&
                   !controller.waveformView()->rightPeaks().empty();
        },
        10s));
    EXPECT_EQ(controller.waveformView()->leftPeaks().size(),
              static_cast<std::size_t>(waveformBinCountForDuration(2.0)));
    EXPECT_GT(controller.bassMeterFrames()[60][0], -10.0f);
}

} // namespace

namespace {

TEST(AnalysisJobs, AControllerGoneWhileItsJobsRunIsNeverTouched)
{
    FixtureFiles files;
    const QUrl url =
        QUrl::fromLocalFile(files.writeMp3("long.mp3", sineWave(440, 0.5, 44100, 2, 20 * 44100)));
    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    {
        PlayerWindowController controller(players.factory(), alerts);
        controller.loadPlaylist({url}, 0, true);
    }
    // Whatever the jobs had posted went with the controller; under the sanitizers a late
    // touch would show here.
    processEventsFor(100ms);
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
}

TEST_F(FeedTest, NothingRepaintsWhilePaused)
{
    controller.showWindow();
    loadWithFrames();
    controller.waveformView()->setPeaks(std::vector<float>(20000, 0.5f));
    PaintCount paints;
    controller.startPlayback();
    current()->setCurrentTime(30.0); // past the last frames: peaks of 1 and 2 dB, caps at 0.9
    controller.updateTimeLabels();
    EXPECT_GT(paints.settle(), 0);
    controller.pauseButtonPressed(nullptr);
    paints.settle();
    // The refresh that every action runs finds nothing new to show. The held peaks fall a sixth
    // of a dB each time but stay on the top segment.
    for (int refresh = 0; refresh < 3; ++refresh)
        controller.updateTimeLabels();
    EXPECT_EQ(paints.settle(), 0);
}

} // namespace
