#include "player/PlayerWindowController.h"

#include "audio/Mp3AudioPlayer.h"
#include "corpus/FileAnalyses.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"
#include "support/FixtureFiles.h"
#include "support/RecordingAlertPresenter.h"
#include "support/TrackLoading.h"
#include "views/ElidedLabel.h"
#include "views/MiniScrubberView.h"
#include "views/WaveformView.h"

#include <functional>
#include <random>

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class SoakTest : public ::testing::Test
{
protected:
    SoakTest()
    {
        // Tracks that differ in every analysis: length, pitch and level.
        for (int n = 0; n < 4; ++n) {
            const QString path =
                files.writeMp3(QStringLiteral("Stück %1.mp3").arg(n + 1),
                               sineWave(110 << n, 0.2 + 0.2 * n, 44100, 2, 44100 * (3 + n) / 2));
            playlist << QUrl::fromLocalFile(path);
            analyses.push_back(FileAnalyses::of(path, Mp3Decoder::open(path)->duration()));
        }
    }

    // Each display holds nothing yet or what the current track's analysis gives.
    void expectNoStaleResult() const
    {
        const auto at = std::ranges::find(playlist, controller.currentFile());
        ASSERT_NE(at, playlist.end());
        const FileAnalyses& expected = analyses[std::size_t(at - playlist.begin())];
        const auto emptyOr = [](const auto& shown, const auto& result) {
            return shown.empty() || shown == result;
        };
        EXPECT_TRUE(emptyOr(controller.bassMeterFrames(), expected.bass));
        EXPECT_TRUE(emptyOr(controller.spectrumFrames(), expected.spectrum));
        EXPECT_TRUE(emptyOr(controller.waveformView()->leftPeaks(), expected.peaks.left));
        EXPECT_TRUE(emptyOr(controller.waveformView()->rightPeaks(), expected.peaks.right));
        const QString title = controller.titleLabel()->text();
        EXPECT_TRUE(title == expected.title || title == fileTitleForURL(*at));
    }

    // Loads `loads` tracks by the user's ways of changing and handling tracks, at random, with
    // the event loop let run now and then so that some results arrive and others are overtaken.
    void changeTracks(int loads)
    {
        std::mt19937 random(loads);
        const auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
        const std::vector<std::function<void()>> actions{
            [&] { controller.nextButtonPressed(nullptr); },
            [&] { controller.previousButtonPressed(nullptr); },
            [&] { controller.playPlaylistIndex(random() % playlist.size()); },
            [&] {
                controller.scrubber()->setValue(std::uniform_real_distribution(0.0, 1.0)(random));
                controller.scrubberValueChanged(controller.scrubber());
            },
            [&] { controller.setLoopStartAtCurrentTime(); },
            [&] { controller.setLoopEndAtCurrentTime(); },
            [&] { controller.clearLoopPoints(); },
            [&] { controller.setVintageDesignEnabled(!controller.isVintageDesignEnabled()); },
        };
        const std::uint64_t until = controller.analysisGeneration() + loads;
        while (controller.analysisGeneration() < until) {
            actions[random() % actions.size()]();
            if (chance(0.3))
                QCoreApplication::processEvents();
            if (chance(0.05)) // now and then the opening is let finish and its results arrive
                (void)QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 1000);
            expectNoStaleResult();
            shownResults += controller.bassMeterFrames().empty() ? 0 : 1;
            if (HasFailure())
                return;
        }
    }

    // Stopped, so that no next track opens ahead; every job's result has arrived and been handled.
    bool settles()
    {
        controller.stopButtonPressed(nullptr);
        const bool idle = QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 60000);
        finishJobs();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return idle;
    }

    FixtureFiles files;
    std::vector<FileAnalyses> analyses; // of each track, worked out apart from the player
    int shownResults = 0;               // steps at which a result was shown
    QList<QUrl> playlist;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller{Mp3AudioPlayer::factory(), alerts};
};

TEST_F(SoakTest, AThousandLoadsLeaveNoStaleResultNoBusyThreadNoGrownHeapAndAPlayingPlayer)
{
    ASSERT_TRUE(loadAndOpen(controller, playlist, 0, true));
    // Caches and pool threads are made once; they are not what grows.
    changeTracks(50);
    ASSERT_TRUE(settles());
    const std::size_t heapBefore = heapInUse();

    changeTracks(1000);
    ASSERT_FALSE(HasFailure());
    EXPECT_GT(shownResults, 0); // results did arrive between loads: the check above saw some
    ASSERT_TRUE(settles());
    expectNoStaleResult();
    EXPECT_FALSE(controller.bassMeterFrames().empty()); // the last load's results are shown
    const double heapGrowth = double(heapInUse()) - double(heapBefore);
    std::printf("heap after 1000 loads: %+.0f kB; results shown at %d steps\n", heapGrowth / 1024,
                shownResults);
    EXPECT_LT(heapGrowth, 1024.0 * 1024.0);

    ASSERT_TRUE(loadAndOpen(controller, playlist, 0, true));
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.player()->currentTime() > 0.2; }, 10000));
    EXPECT_TRUE(alerts.alerts.empty());
}

} // namespace
