// The work the controller does on other threads: opening tracks, analysing them and keeping the
// session. None of it holds the window or the quit, and none of it reaches a controller gone.
#include "player/PlayerWindowController.h"

#include "player/SessionKeeper.h"
#include "support/FakeAudioPlayer.h"
#include "support/FixtureFiles.h"
#include "support/RecordingAlertPresenter.h"
#include "views/ElidedLabel.h"
#include "views/WaveformView.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

QList<QUrl> files(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

// A file whose disk hangs keeps neither the window nor a next choice waiting, and when it opens
// at last it is not played over the one chosen since.
TEST(PlayerThreadsTest, AHungOpeningHoldsNeitherTheWindowNorTheNextTrack)
{
    HangingFactory hanging;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller(hanging.factory(), alerts);
    controller.loadPlaylist(files({"/no/hung.mp3", "/no/fine.mp3"}), 0, true);
    EXPECT_TRUE(controller.isOpeningTrack());
    EXPECT_EQ(controller.titleLabel()->text(), "hung");

    controller.playPlaylistIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.player() != nullptr; }, 10000));
    AudioPlayer* fine = controller.player();
    hanging.released.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 10000));
    EXPECT_EQ(controller.player(), fine);
    EXPECT_EQ(controller.playlistIndex(), 1);
    EXPECT_TRUE(fine->isPlaying());
}

// The quit: the controller goes at once, whatever still waits on a disk, and what opens or is
// analysed after it has gone reaches nothing of it.
TEST(PlayerThreadsTest, TheControllerGoesAtOnceAndWhatEndsLaterReachesNothing)
{
    FixtureFiles fixtures;
    HangingFactory hanging;
    RecordingAlertPresenter alerts;
    auto controller = std::make_unique<PlayerWindowController>(hanging.factory(), alerts);
    controller->loadPlaylist(files({fixtures.writeSine("played.mp3", 20.0)}), 0, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->player() != nullptr; }, 10000));
    // The played track's analyses decode it on the pool while the next entry's opening hangs.
    controller->loadPlaylist(files({"/no/hung.mp3"}), 0, true);
    ASSERT_TRUE(controller->isOpeningTrack());

    QElapsedTimer clock;
    clock.start();
    controller.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    hanging.released.release();
    ASSERT_TRUE(hanging.opened.tryAcquire(2, 10000));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
}

// The analyses hand their results back to the main thread: those of the current track arrive,
// and those of a track left before they ended are dropped.
TEST(PlayerThreadsTest, TheAnalysesOfTheCurrentTrackArriveAndThoseOfOneLeftDoNot)
{
    FixtureFiles fixtures;
    HangingFactory factory;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller(factory.factory(), alerts);
    const QList<QUrl> tracks =
        files({fixtures.writeMp3("left.mp3", silence(44100, 2, 30 * 44100)),
               fixtures.writeSine("kept.mp3", 1.0)});
    controller.loadPlaylist(tracks, 0, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.player() != nullptr; }, 10000));
    controller.playPlaylistIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.playlistIndex() == 1 && controller.player(); },
                                10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !controller.waveformView()->leftPeaks().empty(); }, 20000));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    // The sine's peaks, not the silence's.
    EXPECT_GT(std::ranges::max(controller.waveformView()->leftPeaks()), 0.4f);
}

// The session is written on a thread of its own, newest last, and the quit's save waits for it.
TEST(PlayerThreadsTest, TheSessionFileHoldsTheLastOfManyChangesAfterTheSave)
{
    FixtureFiles fixtures;
    const QString path = fixtures.path(QStringLiteral("session.json"));
    HangingFactory factory;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller(factory.factory(), alerts);
    SessionKeeper keeper(controller, path);
    const QList<QUrl> tracks =
        files({fixtures.writeSine("a.mp3", 0.2), fixtures.writeSine("b.mp3", 0.2),
               fixtures.writeSine("c.mp3", 0.2)});
    controller.loadPlaylist(tracks, 0, false);
    for (qint64 index : {1, 2, 0, 2}) {
        controller.playPlaylistIndex(index);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 10000));
        controller.pause();
    }
    keeper.save();
    QString problem;
    const std::optional<SavedSession> saved = SavedSession::read(path, &problem);
    ASSERT_TRUE(saved) << problem.toStdString();
    EXPECT_EQ(saved->playlist, tracks);
    EXPECT_EQ(saved->index, 2);
    EXPECT_TRUE(saved->paused);
}

} // namespace
