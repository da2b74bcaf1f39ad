// Runs in its own process with SDL's disk driver, which writes what would be heard to a file.
#include "audio/Mp3AudioPlayer.h"
#include "support/FixtureFiles.h"

#include <cmath>
#include <cstring>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SdlDiskOutputTest, WritesTheSineThatWasPlayedAndNothingWhilePaused)
{
    const QString output = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(qEnvironmentVariable("SDL_AUDIODRIVER") == "disk" && !output.isEmpty());
    QFile::remove(output);

    FixtureFiles files;
    double resumedAt = 0.0;
    const QString path = files.writeMp3("sine.mp3", sineWave(440, 0.5, 44100, 2, 2 * 44100));
    {
        QString error;
        auto player = Mp3AudioPlayer::open(path, &error);
        ASSERT_TRUE(player && player->play()) << error.toStdString();
        // Paused a while, the device writes nothing, not even silence; resumed, it plays on
        // with nothing lost or repeated.
        ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentTime() > 0.5; }, 10000));
        player->pause();
        const double pausedAt = player->currentTime();
        QElapsedTimer unchanged;
        qint64 size = -1;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                if (QFileInfo(output).size() != size) {
                    size = QFileInfo(output).size();
                    unchanged.start();
                }
                return unchanged.elapsed() > 500;
            },
            10000));
        EXPECT_DOUBLE_EQ(player->currentTime(), pausedAt);
        resumedAt = pausedAt;
        ASSERT_TRUE(player->play());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000));
        EXPECT_FALSE(player->isOnSilentClock());
    }

    // The device writes float stereo at the file's rate; silence surrounds the track.
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::vector<float> written(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(written.data(), bytes.data(), written.size() * sizeof(float));
    std::vector<float> left;
    for (std::size_t i = 0; i + 1 < written.size(); i += 2)
        if (std::abs(written[i]) > 1e-4f || !left.empty())
            left.push_back(written[i]);
    while (!left.empty() && std::abs(left.back()) <= 1e-4f)
        left.pop_back();
    // The device opened again at the resume began the file anew: it holds the rest.
    const double seconds = 2.0 - resumedAt;
    ASSERT_NEAR(static_cast<double>(left.size()), seconds * 44100, 0.05 * 44100);
    // The level and the pitch of the sine: 440 periods a second cross zero 880 times in one.
    double energy = 0.0;
    int crossings = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        energy += left[i] * left[i];
        crossings += i > 0 && (left[i - 1] < 0) != (left[i] < 0) ? 1 : 0;
    }
    EXPECT_NEAR(std::sqrt(energy / static_cast<double>(left.size())), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(crossings, 880 * seconds, 0.05 * 880);
}

} // namespace
