// The controller's work on other threads holds neither the window nor the quit.
#include "player/PlayerWindowController.h"

#include "audio/Mp3AudioPlayer.h"
#include "audio/SessionOutput.h"
#include "audio/WorkQueue.h"
#include "player/SessionEntryCheck.h"
#include "player/SessionKeeper.h"
#include "support/FakeAudioPlayer.h"
#include "support/FixtureFiles.h"
#include "support/RecordingAlertPresenter.h"
#include "views/ElidedLabel.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QList<QUrl> files(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

// A file whose disk hangs keeps neither the window, nor a next choice, nor the quit waiting; what
// opens at last is not played over the track chosen since, and after the quit reaches nothing.
// Nor does the quit wait for a sound server that does not answer, or for analyses that do not end.
TEST(PlayerThreadsTest, AHungOpeningDeviceAndAnalysisHoldNeitherTheWindowNorTheNextTrackNorTheQuit)
{
    FixtureFiles fixtures;
    FakePlayerFactory hanging;
    hanging.heldName = "hung";
    const auto deviceAnswers = std::make_shared<QSemaphore>();
    auto output =
        std::make_shared<SessionOutput>([deviceAnswers](const AudioFormat&, AudioOutput::Client*) {
            deviceAnswers->acquire();
            return std::unique_ptr<AudioOutput>();
        });
    AudioPlayer::Factory factory{[fake = hanging.factory(), real = Mp3AudioPlayer::factory(output)](
                                     const QString& path, QString* error) {
        return path.endsWith("played.mp3") ? real.open(path, error) : fake.open(path, error);
    }};
    RecordingAlertPresenter alerts;
    auto controller = std::make_unique<PlayerWindowController>(std::move(factory), alerts);
    controller->loadPlaylist(
        files({"/no/hung.mp3", fixtures.writeSine("played.mp3", 20.0), "/no/hung-too.mp3"}), 0,
        true);
    EXPECT_TRUE(controller->isOpeningTrack());
    EXPECT_EQ(controller->titleLabel()->text(), "hung");

    controller->playPlaylistIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->player() != nullptr; }, 10000));
    AudioPlayer* played = controller->player();
    hanging.released.release();
    ASSERT_TRUE(hanging.tried(1));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(controller->player(), played);
    EXPECT_EQ(controller->playlistIndex(), 1);
    EXPECT_TRUE(played->isPlaying() && output->isOnSilentClock());

    // Every analysis thread waits on a disk, and the next entry's opening hangs.
    const auto analysesAnswer = std::make_shared<QSemaphore>();
    constexpr int analysisThreads = 256;
    for (int thread = 0; thread < analysisThreads; ++thread)
        WorkQueue::lane(WorkLane::Analyses).run([analysesAnswer] { analysesAnswer->acquire(); });
    controller->playPlaylistIndex(2);
    QElapsedTimer clock;
    clock.start();
    controller.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    hanging.released.release();
    ASSERT_TRUE(hanging.tried(1));
    WorkQueue::lane(WorkLane::Files).waitForDone();
    // The output goes last, while its device still does not answer.
    clock.start();
    output.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    deviceAnswers->release();
    analysesAnswer->release(analysisThreads);
    WorkQueue::lane(WorkLane::Analyses).waitForDone();
    WorkQueue::lane(WorkLane::Devices).waitForDone();
    QCoreApplication::sendPostedEvents();
}

// The session is written on a thread of its own, newest last, and the quit's save waits for it.
TEST(PlayerThreadsTest, TheSessionFileHoldsTheLastOfManyChangesAfterTheSave)
{
    FixtureFiles fixtures;
    const QString path = fixtures.path(QStringLiteral("session.json"));
    FakePlayerFactory factory;
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

// The saved list's files are looked for off the main thread; a mount that does not answer is
// passed over at the deadline, and the place goes to the next entry that answered.
TEST(PlayerThreadsTest, ASavedSessionComesBackWithoutTheEntriesOnAMountThatDoesNotAnswer)
{
    QSemaphore mountAnswers;
    SessionEntryCheck check(std::chrono::milliseconds(300), [&](const QString& path) {
        if (path.startsWith("/hung/"))
            mountAnswers.acquire();
        return !path.endsWith("gone.mp3");
    });
    const SavedSession saved{
        files({"/m/a.mp3", "/hung/b.mp3", "/m/gone.mp3", "/hung/c.mp3", "/n/d.mp3"}), 1, 30.0,
        true};
    std::optional<SavedSession> resumed;
    bool answered = false;
    check.check(saved, [&](std::optional<SavedSession> checked) {
        answered = true;
        resumed = std::move(checked);
    });
    EXPECT_FALSE(answered) << "the main thread does not wait for the files";
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    EXPECT_EQ(resumed, (SavedSession{files({"/m/a.mp3", "/n/d.mp3"}), 1, 0.0, false}));
    mountAnswers.release(2);
    WorkQueue::lane(WorkLane::Files).waitForDone();
}

} // namespace
