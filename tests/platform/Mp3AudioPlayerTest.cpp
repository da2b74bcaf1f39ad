#include "platform/Mp3AudioPlayer.h"
#include "platform/AudioPlayerDelegate.h"
#include "support/FixtureFiles.h"

#include <cmath>
#include <thread>
#include <tuple>

#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// An output that never finds a device.
struct MissingDevice final : AudioOutput
{
    bool open(const AudioFormat&, AudioOutput::Client*) override { return false; }
    void setPaused(bool) override {}
    int latencyFrames() const override { return 0; }
};

class Mp3AudioPlayerTest : public ::testing::Test, private AudioPlayerDelegate
{
protected:
    std::unique_ptr<Mp3AudioPlayer>
    open(double seconds, Mp3AudioPlayer::OutputFactory output = Mp3AudioPlayer::soundDevice())
    {
        const Pcm sine = sineWave(440, 0.5, 44100, 2, std::llround(seconds * 44100));
        auto player = Mp3AudioPlayer::open(
            files.writeMp3(QString::number(++m_files) + ".mp3", sine), nullptr, std::move(output));
        if (player)
            player->setDelegate(this);
        return player;
    }

    // The position gains about a second per second of wall time, with wide margins.
    static void expectRealTimeOver(AudioPlayer& player, int milliseconds)
    {
        const auto start = std::chrono::steady_clock::now();
        const double position = player.currentTime();
        QTest::qWait(milliseconds);
        const double speed =
            (player.currentTime() - position) /
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_TRUE(speed > 0.8 && speed < 1.3) << speed;
    }

    // For each end reported: the player, its position then and whether it was playing.
    std::vector<std::tuple<AudioPlayer*, double, bool>> ends;
    FixtureFiles files;

private:
    void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) override
    {
        ends.emplace_back(player, player->currentTime(), player->isPlaying());
        EXPECT_TRUE(successfully);
    }

    int m_files = 0;
};

TEST_F(Mp3AudioPlayerTest, PlaysInRealTimeEvenWhileTheMainThreadIsBlockedAndSeeksReadBackAtOnce)
{
    auto player = open(4.0);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->prepareToPlay() && player->play());
    EXPECT_FALSE(player->isOnSilentClock());
    QTest::qWait(200);
    expectRealTimeOver(*player, 1000);
    const double before = player->currentTime();
    std::this_thread::sleep_for(150ms);
    EXPECT_GT(player->currentTime(), before + 0.1);
    EXPECT_EQ(player->underrunCount(), 0u);
    player->pause();
    const double held = player->currentTime();
    QTest::qWait(300);
    EXPECT_EQ(player->currentTime(), held);
    // Playing, paused or stopped; seconds asked for and read back, exactly at the ends.
    const std::tuple<char, double, double> seeks[] = {{'>', 2.0, 2.0},          {'|', 1.0, 1.0},
                                                      {'|', 4.0, 4.0},          {'.', 3.0, 3.0},
                                                      {'.', std::nan(""), 3.0}, {'.', -1.0, 0.0}};
    for (const auto& [state, target, expected] : seeks) {
        if (state == '>')
            player->play();
        else
            state == '|' ? player->pause() : player->stop();
        player->setCurrentTime(target);
        EXPECT_NEAR(player->currentTime(), expected,
                    expected == 0.0 || expected == 4.0 ? 0.0 : 1152.0 / 44100)
            << state << " " << target;
    }
}

TEST_F(Mp3AudioPlayerTest, TheNaturalEndIsReportedOnceLeavingPositionZeroAndNotAfterStopOrRelease)
{
    auto ended = open(0.3);
    auto stopped = open(0.3);
    auto released = open(0.3);
    ASSERT_TRUE(ended && stopped && released);
    for (Mp3AudioPlayer* player : {ended.get(), stopped.get(), released.get()})
        player->play();
    // All reach their end on their own threads while the main thread handles no events.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while ((ended->isPlaying() || stopped->isPlaying() || released->isPlaying()) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    stopped->stop();
    released.reset();
    QTest::qWait(300);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0], std::make_tuple(static_cast<AudioPlayer*>(ended.get()), 0.0, false));
}

TEST_F(Mp3AudioPlayerTest, WithoutADevicePlaybackGoesOnSilentlyInRealTime)
{
    auto player = open(1.0, [] { return std::make_unique<MissingDevice>(); });
    ASSERT_TRUE(player);
    player->play();
    EXPECT_TRUE(player->isOnSilentClock());
    expectRealTimeOver(*player, 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ends.empty(); }, 5000));
    EXPECT_EQ(ends.size(), 1u);
}

} // namespace
