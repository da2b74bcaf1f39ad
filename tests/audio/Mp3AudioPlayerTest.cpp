#include "audio/Mp3AudioPlayer.h"
#include "audio/AudioPlayerDelegate.h"
#include "audio/ClockAudioOutput.h"
#include "support/FixtureFiles.h"
#include "support/LosableDevice.h"

#include <chrono>
#include <thread>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr double mpegFrameSeconds = 1152.0 / 44100.0;

struct EndRecorder final : AudioPlayerDelegate
{
    void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) override
    {
        ends.push_back(player);
        stateAtEnd.emplace_back(player->currentTime(), player->isPlaying());
        EXPECT_EQ(successfully, endsSuccessfully);
    }
    void audioPlayerWillFinishPlaying(AudioPlayer* player) override
    {
        handedOver.push_back(player);
    }
    std::vector<AudioPlayer*> handedOver;
    std::vector<AudioPlayer*> ends;
    std::vector<std::pair<double, bool>> stateAtEnd; // position, playing
    bool endsSuccessfully = true;
};

// Makes every later read of the open file `path` fail, as a disk that fails does: its
// descriptor is made a folder's, which cannot be read.
void failReadsOf(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const int folder = ::open(QFile::encodeName(QFileInfo(path).path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files)) {
        if (fd.symLinkTarget() == target) {
            ASSERT_GE(::dup2(folder, fd.fileName().toInt()), 0);
        }
    }
    ::close(folder);
}

class Mp3AudioPlayerTest : public ::testing::Test
{
protected:
    QString track(double seconds, const char* name = "track.mp3")
    {
        return files.writeSine(name, seconds);
    }

    std::unique_ptr<Mp3AudioPlayer>
    open(const QString& path,
         std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>())
    {
        QString error;
        auto player = Mp3AudioPlayer::open(path, &error, std::move(output));
        EXPECT_TRUE(player) << error.toStdString();
        if (player)
            player->setDelegate(&recorder);
        return player;
    }

    // Seconds of position gained per second of wall time while `gain` seconds are gained; 0
    // when they are not gained within 10 s.
    static double speedWhileGaining(AudioPlayer& player, double gain)
    {
        QElapsedTimer clock;
        const double start = player.currentTime();
        clock.start();
        if (!QTest::qWaitFor([&] { return player.currentTime() >= start + gain; }, 10000))
            return 0.0;
        return (player.currentTime() - start) / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }

    // Devices open on a thread of their own, the silent clock standing in meanwhile.
    static bool reachesDevice(const Mp3AudioPlayer& player)
    {
        return QTest::qWaitFor([&] { return !player.isOnSilentClock(); }, 5000);
    }

    // Plays a half-second track of its own to its end: time enough, as an output counts it,
    // for anything that another player was still to report to arrive.
    void playWitnessTrack()
    {
        EndRecorder witnessed;
        auto witness = open(track(0.5, "witness.mp3"));
        ASSERT_TRUE(witness);
        witness->setDelegate(&witnessed);
        witness->play();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !witnessed.ends.empty(); }, 5000));
    }

    FixtureFiles files;
    EndRecorder recorder;
};

TEST_F(Mp3AudioPlayerTest, PlaysAtAboutRealTimeEvenWhileTheMainThreadIsBlocked)
{
    auto player = open(track(4.0));
    ASSERT_TRUE(player);
    EXPECT_DOUBLE_EQ(player->duration(), 4.0);
    ASSERT_TRUE(player->prepareToPlay());
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(reachesDevice(*player));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentTime() > 0.1; }, 5000));
    const double speed = speedWhileGaining(*player, 1.0);
    EXPECT_GT(speed, 0.8);
    EXPECT_LT(speed, 1.3);

    // The main thread handles no event until the position has moved on.
    const double before = player->currentTime();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (player->currentTime() < before + 0.1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_GE(player->currentTime(), before + 0.1);
    EXPECT_GT(speedWhileGaining(*player, 0.1), 0.5);
    EXPECT_EQ(player->underrunCount(), 0u);
}

TEST_F(Mp3AudioPlayerTest, ASeekReadsBackAtOncePlayingPausedAndStoppedAndPauseHoldsIt)
{
    auto player = open(track(4.0));
    ASSERT_TRUE(player);
    player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentTime() > 0.05; }, 5000));
    player->setCurrentTime(2.0);
    EXPECT_NEAR(player->currentTime(), 2.0, mpegFrameSeconds);

    player->pause();
    const double held = player->currentTime();
    playWitnessTrack();
    EXPECT_TRUE(held >= 2.0 && player->currentTime() == held && !player->isPlaying());
    player->setCurrentTime(1.0);
    EXPECT_NEAR(player->currentTime(), 1.0, mpegFrameSeconds);
    player->setCurrentTime(player->duration());
    EXPECT_DOUBLE_EQ(player->currentTime(), player->duration());

    player->stop();
    player->setCurrentTime(3.0);
    EXPECT_NEAR(player->currentTime(), 3.0, mpegFrameSeconds);
    player->setCurrentTime(std::nan(""));
    EXPECT_NEAR(player->currentTime(), 3.0, mpegFrameSeconds);
    player->setCurrentTime(-1.0);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0.0);
}

TEST_F(Mp3AudioPlayerTest, TheNaturalEndIsReportedOnceAndLeavesPositionZero)
{
    auto player = open(track(0.5));
    ASSERT_TRUE(player);
    QElapsedTimer clock;
    clock.start();
    player->play();
    // The hand-over of the last frame comes first, while the tail still plays; the end when
    // that is heard.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.handedOver.empty(); }, 5000));
    EXPECT_TRUE(recorder.ends.empty());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_GT(player->currentTime(), 0.1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.ends.empty(); }, 5000));
    EXPECT_GE(clock.elapsed(), 480);
    playWitnessTrack();
    ASSERT_EQ(recorder.handedOver.size(), 1u);
    ASSERT_EQ(recorder.ends.size(), 1u);
    EXPECT_EQ(recorder.ends[0], player.get());
    EXPECT_EQ(recorder.stateAtEnd[0], std::pair(0.0, false)); // rewound, not playing
    EXPECT_FALSE(player->isPlaying());

    // A finished player plays again from its start.
    player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentTime() > 0.0; }, 5000));
    EXPECT_LT(player->currentTime(), 0.4);
}

TEST_F(Mp3AudioPlayerTest, AStoppedOrDestroyedPlayerReportsNoEnd)
{
    // Each on a silent clock of its own, which needs no event to start.
    auto stopped = open(track(0.6, "stopped.mp3"), std::make_shared<SessionOutput>(nullptr));
    auto destroyed = open(track(0.6, "destroyed.mp3"), std::make_shared<SessionOutput>(nullptr));
    ASSERT_TRUE(stopped && destroyed);
    stopped->play();
    destroyed->play();
    // Both hand their last frame over on the output's thread while the main thread handles no
    // events; they are stopped before their tails are heard.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while ((stopped->currentTime() < 0.45 || destroyed->currentTime() < 0.45) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(stopped->currentTime(), 0.45);

    stopped->stop();
    destroyed.reset();
    playWitnessTrack();
    EXPECT_TRUE(recorder.ends.empty());
    EXPECT_TRUE(recorder.handedOver.empty());
    EXPECT_FALSE(stopped->isPlaying());
}

TEST_F(Mp3AudioPlayerTest, ALossToldOfADeviceAlreadyReplacedLeavesItsSuccessPlaying)
{
    LosableDevices devices;
    const auto output = losableOutput(devices);
    auto first = open(track(2.0), output);
    ASSERT_TRUE(first);
    first->play();
    ASSERT_TRUE(reachesDevice(*first));
    // The loss is told, and before the main thread hears of it, a track in another rate
    // replaces the device.
    devices.at(0)->lose();
    auto second = open(files.writeMp3("48k.mp3", sineWave(440, 0.5, 48000, 2, 96000)), output);
    ASSERT_TRUE(second);
    first.reset();
    second->play();
    ASSERT_TRUE(reachesDevice(*second));
    EXPECT_EQ(output->device(), devices.at(1));
    EXPECT_GT(speedWhileGaining(*second, 0.5), 0.5);
}

// How long the event loop stands still meanwhile is a figure of scripts/bench.sh sound.
TEST_F(Mp3AudioPlayerTest, AServerThatNeverAnswersHoldsNeitherTheClockNorTheSound)
{
    // A socket that takes every connection and never answers, as a stuck server does.
    QLocalServer server;
    ASSERT_TRUE(server.listen(files.path(QStringLiteral("native"))));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(server.fullServerName()));
    auto player = open(track(4.0));
    ASSERT_TRUE(player && player->play());
    // Until the server is given up on and the sound device stands in, the track plays on.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return player->currentTime() > 1.5 && !player->isOnSilentClock(); }, 10000));
    EXPECT_TRUE(player->isPlaying());
}

// A rate change opens a device at the new rate after the drain. When the server dies during
// it, the old device and the new one both report their loss before the main thread runs.
TEST_F(Mp3AudioPlayerTest, BothDevicesLostDuringARateChangeEndTheDrainAndTheNextTrackPlaysOn)
{
    LosableDevices devices;
    const auto output = losableOutput(devices);
    auto first = open(track(1.0), output);
    auto second = open(files.writeMp3("48k.mp3", sineWave(440, 0.5, 48000, 2, 96000)), output);
    ASSERT_TRUE(first && second);
    first->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.handedOver.empty(); }, 5000));
    // As the player's next track starts behind the first, its device waits for the drain; a
    // pause holds the drain for as long as the test needs.
    second->prepareToPlay();
    second->play();
    second->pause();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return devices.at(1) && output->device() == devices.at(1); }, 5000));
    ASSERT_TRUE(recorder.ends.empty()); // the first track's tail waits on the old device
    devices.at(0)->lose();
    devices.at(1)->lose();
    second->play();

    // The tail went with its device; the next track plays on, on the clock, then on a device.
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.ends.size() == 1; }, 2000));
    EXPECT_GT(speedWhileGaining(*second, 0.8), 0.6);
    EXPECT_TRUE(QTest::qWaitFor([&] { return devices.at(2) != nullptr; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.ends.size() == 2; }, 3000));
    // Each device at the rate of the track it was opened for.
    EXPECT_EQ(devices.openedRates(), (std::vector<int>{44100, 48000, 48000}));
}

// What was read before the error plays; then the track ends as one that cannot be read, long
// before its end, and nothing tells of a natural end.
TEST_F(Mp3AudioPlayerTest, AReadErrorOrAFailedSeekEndsTheTrackAsUnreadable)
{
    recorder.endsSuccessfully = false;
    for (const bool seeks : {true, false}) {
        SCOPED_TRACE(seeks ? "seek" : "read");
        recorder.ends.clear();
        const QString path = track(30.0, seeks ? "seek.mp3" : "read.mp3");
        auto player = open(path);
        ASSERT_TRUE(player && player->play());
        ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentTime() > 0.1; }, 5000));
        failReadsOf(path);
        if (seeks)
            player->setCurrentTime(20.0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.ends.empty(); }, 20000));
        EXPECT_EQ(recorder.ends.size(), 1u);
        EXPECT_TRUE(recorder.handedOver.empty());
        EXPECT_FALSE(player->isPlaying());
    }
}

} // namespace
