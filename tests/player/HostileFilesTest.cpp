#include "player/PlayerWindowController.h"

#include "audio/Mp3AudioPlayer.h"
#include "decoder/Mp3Decoder.h"
#include "support/FixtureFiles.h"
#include "support/PcmSampleSource.h"
#include "support/RecordingAlertPresenter.h"
#include "support/TrackLoading.h"
#include "views/ElidedLabel.h"

#include <algorithm>
#include <functional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString openFailure = QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden.");

// The real player on the silent device, with its alerts recorded.
class HostileFilesTest : public ::testing::Test
{
protected:
    QUrl track(const QString& name, double seconds)
    {
        return QUrl::fromLocalFile(files.writeSine(name, seconds));
    }
    bool isPlaying() const { return controller.player() && controller.player()->isPlaying(); }

    FixtureFiles files;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller{Mp3AudioPlayer::factory(), alerts};
};

// Whether a file opens is the decoder's to say (DecoderCorpusTest holds it to mpg123); what the
// player makes of that is the rule here.
TEST_F(HostileFilesTest, AFileThatDoesNotOpenIsSkippedOrReportedOnceAndTheRestStays)
{
    const QUrl before = track("vorher.mp3", 1.0), after = track("nachher.mp3", 1.0);
    std::vector<QString> paths;
    for (const CorpusFile& file : decoderCorpus())
        paths.push_back(files.write(file));
    for (const auto& broken : files.unopenablePaths())
        paths.push_back(broken.path);
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const bool opens = Mp3Decoder::open(path) != nullptr;
        const QUrl url = QUrl::fromLocalFile(path);
        // Inside a playing list: skipped without a word, or played.
        const QList<QUrl> list{before, url, after};
        ASSERT_TRUE(loadAndOpen(controller, list, 1, true));
        EXPECT_EQ(controller.playlist(), list);
        EXPECT_EQ(controller.playlistIndex(), opens ? 1 : 2);
        EXPECT_TRUE(isPlaying());
        EXPECT_TRUE(alerts.alerts.empty());
        // Alone: one alert naming it, and the player is left without a track.
        ASSERT_TRUE(loadAndOpen(controller, {url}, 0, true));
        EXPECT_EQ(controller.playlist(), QList{url});
        EXPECT_EQ(isPlaying(), opens);
        ASSERT_EQ(alerts.alerts.size(), opens ? 0u : 1u);
        if (!opens) {
            EXPECT_EQ(alerts.alerts[0].messageText + "|" + alerts.alerts[0].informativeText,
                      openFailure + "|" + url.fileName());
        }
        alerts.alerts.clear();
        finishJobs();
        EXPECT_LE(controller.titleLabel()->text().size(), 35);
    }
    ASSERT_TRUE(loadAndOpen(controller, {before}, 0, true));
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.player()->currentTime() > 0.2; }, 10000));
}

// The track's file changes on disk while it plays, and while its analyses read it.
TEST_F(HostileFilesTest, AFileChangedUnderThePlayingTrackPlaysOnOrEndsEarlyAndIsThenTakenAsItIs)
{
    struct Change
    {
        const char* kind;
        std::function<void(const QByteArray& path)> apply;
        bool endsEarly; // the cut leaves about 2 of 12 s
        bool opensAfter;
    };
    const Change changes[] = {
        {"deleted", [](const QByteArray& path) { ::unlink(path.constData()); }, false, false},
        {"replaced by a folder",
         [](const QByteArray& path) {
             ::unlink(path.constData());
             ::mkdir(path.constData(), 0700);
         },
         false, false},
        {"truncated", [](const QByteArray& path) { ::truncate(path.constData(), 32000); }, true,
         true},
    };
    for (const auto& [kind, apply, endsEarly, opensAfter] : changes) {
        SCOPED_TRACE(kind);
        const QUrl victim = track(QString::fromLatin1(kind) + ".mp3", 12.0);
        const QUrl next = track("danach.mp3", 1.0);
        const BassMeterFrames intact = bassMeterFramesForURL(
            victim, bassMeterFrameDurationForDuration(12.0), currentGeneration());
        ASSERT_TRUE(loadAndOpen(controller, {victim, next}, 0, true));
        apply(QFile::encodeName(victim.toLocalFile()));
        // Past what was read ahead before the change: the open file plays on, or the cut ends
        // the track, and the next one plays.
        if (endsEarly) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return controller.playlistIndex() == 1; }, 8000));
        } else {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return controller.player()->currentTime() > 3.0; }, 8000));
            EXPECT_EQ(controller.playlistIndex(), 0);
        }
        EXPECT_TRUE(isPlaying());
        // The analyses read what they could: nothing, a part, or the whole of the old file, and
        // nothing else; the last two frames may hold the cut MP3 frame.
        finishJobs();
        const BassMeterFrames& shown = controller.bassMeterFrames();
        ASSERT_LE(shown.size(), intact.size());
        EXPECT_TRUE(std::equal(shown.begin(), shown.end() - std::min<std::size_t>(shown.size(), 2),
                               intact.begin()));
        ASSERT_TRUE(loadAndOpen(controller, {victim}, 0, true));
        EXPECT_EQ(isPlaying(), opensAfter);
        EXPECT_EQ(alerts.alerts.size(), opensAfter ? 0u : 1u);
        if (opensAfter) {
            EXPECT_LT(controller.player()->duration(), 2.5);
        }
        alerts.alerts.clear();
    }
}

} // namespace
