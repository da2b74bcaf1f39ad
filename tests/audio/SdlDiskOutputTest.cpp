// Runs in its own process with SDL's disk driver, which writes what would be heard to a file.
#include "audio/Mp3AudioPlayer.h"
#include "support/SoundTest.h"
#include "support/TrackLoading.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The left channel of what the device wrote (float stereo at the file's rate), without the
// silence around the track.
std::vector<float> heardLeftChannel()
{
    QFile file(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::vector<float> written(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::copy_n(bytes.constData(), written.size() * sizeof(float),
                reinterpret_cast<char*>(written.data())); // nothing to an empty vector's null
    return audiblePart(written).first;
}

using SdlDiskOutputTest = SoundTest;

TEST_F(SdlDiskOutputTest, WritesTheSineThatWasPlayedAndNothingWhilePaused)
{
    const QString output = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(qEnvironmentVariable("SDL_AUDIODRIVER") == "disk" && !output.isEmpty());
    QFile::remove(output);

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

    const std::vector<float> left = heardLeftChannel();
    // The device opened again at the resume began the file anew: it holds the rest.
    const double seconds = 2.0 - resumedAt;
    ASSERT_NEAR(static_cast<double>(left.size()), seconds * 44100, 0.05 * 44100);
    // The level and the pitch of the sine: 440 periods a second cross zero 880 times in one.
    EXPECT_NEAR(rms(left), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(double(zeroCrossings(left)), 880 * seconds, 0.05 * 880);
}

TEST_F(SdlDiskOutputTest, EachTrackIsHeardAtTheGainOfItsModeHeldBelowClipping)
{
    const auto level = [&](double amplitude, const Mp3Options& options, ReplayGainMode mode) {
        auto player = Mp3AudioPlayer::open(
            files.writeMp3("gain.mp3", sineWave(440, amplitude, 44100, 2, 22050), options));
        // Not a number when nothing was heard: near no level, not even another such one.
        if (!player)
            return std::nan("");
        player->setReplayGainMode(mode);
        const bool played =
            player->play() && QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000);
        player.reset(); // the device closes: the file holds this track alone
        return played ? 20 * std::log10(rms(heardLeftChannel()) * std::sqrt(2.0)) : std::nan("");
    };
    using enum ReplayGainMode;
    // A file without gain plays at its own level, which the fade-in lowers a little.
    const double own = level(0.5, {}, Track);
    EXPECT_NEAR(own, -6.02, 0.6);
    const Mp3Options quieter{.id3v2Extras = {{"REPLAYGAIN_TRACK_GAIN", "-6 dB"}}};
    EXPECT_NEAR(level(0.5, quieter, Off), own, 0.2);
    EXPECT_NEAR(level(0.5, quieter, Track), own - 6.0, 0.2);
    // Two tracks of one album, of different track gains, sound at the album's level; a track
    // without an album gain at its own.
    for (const char* trackGain : {"-3 dB", "-9 dB"}) {
        const Mp3Options ofTheAlbum{.id3v2Extras = {{"REPLAYGAIN_TRACK_GAIN", trackGain},
                                                    {"REPLAYGAIN_ALBUM_GAIN", "-6 dB"}}};
        EXPECT_NEAR(level(0.5, ofTheAlbum, Album), own - 6.0, 0.2) << trackGain;
    }
    EXPECT_NEAR(level(0.5, quieter, Album), own - 6.0, 0.2);
    // +12 dB would clip a peak of 0.5: the gain stops at twice the level, full scale.
    const Mp3Options louder{
        .id3v2Extras = {{"REPLAYGAIN_TRACK_GAIN", "+12 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.5"}}};
    EXPECT_NEAR(level(0.5, louder, Track), own + 6.02, 0.2);
    // LAME's measure brings a loud and a quiet sine to one loudness.
    EXPECT_NEAR(level(0.5, {.lameReplayGain = true}, Track),
                level(0.125, {.lameReplayGain = true}, Track), 0.5);
}

// A track marked, then changed to by hand, plays to its last sample; the next waits at its start.
TEST_F(SdlDiskOutputTest, StopAfterThisTrackEndsAtItsLastSampleAndStartsNothing)
{
    const QList<QUrl> tracks{mp3("silent.mp3", silence(44100, 2, 5 * 44100)),
                             mp3("marked.mp3", sineWave(440, 0.5, 44100, 2, 44100)),
                             mp3("next.mp3", sineWave(880, 0.9, 44100, 2, 44100))};
    QFile::remove(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    ASSERT_TRUE(loadAndOpen(controller, tracks, 0, true));
    // The silence plays on until the device has opened, which a loaded machine may delay.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !output->isOnSilentClock(); }, 5000));
    controller.setStopAfterCurrentTrack(true);
    controller.playNextTrack();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller.playlistIndex() == 2 && !controller.isOpeningTrack(); }, 10000));
    EXPECT_FALSE(controller.player()->isPlaying() || controller.stopsAfterCurrentTrack());
    const std::vector<float> left = heardLeftChannel();
    EXPECT_NEAR(static_cast<double>(left.size()), 44100, 64);
    EXPECT_NEAR(rms(left), 0.5 / std::sqrt(2.0), 0.02);
}

// The next entry is open and queued behind the track that plays when the queue window removes
// it and moves a later one up: what follows is heard in the new order, the removed one never.
TEST_F(SdlDiskOutputTest, AnEditOfTheQueueAfterTheNextTrackOpenedIsHeardInTheNewOrder)
{
    const QList<QUrl> tracks{mp3("first.mp3", sineWave(440, 0.5, 44100, 2, 44100)),
                             mp3("removed.mp3", sineWave(440, 0.65, 44100, 2, 22050)),
                             mp3("later.mp3", sineWave(440, 0.35, 44100, 2, 22050)),
                             mp3("moved.mp3", sineWave(440, 0.8, 44100, 2, 22050))};
    std::atomic<bool> nextOpened = false;
    beforeOpening = [&](const QString& path) {
        nextOpened = nextOpened || path == tracks[1].toLocalFile();
    };
    QFile::remove(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    bool edited = false;
    playThrough(tracks, nullptr, [&] {
        if (edited || !nextOpened || controller.playlistIndex() != 0)
            return;
        controller.keepUpcomingEntries({3, 2});
        edited = true;
    });
    ASSERT_TRUE(edited);
    // The tracks in the order heard, each told by its level over 10 ms stretches; the ramps
    // and fades between them match none.
    const std::vector<float> left = heardLeftChannel();
    std::vector<float> levels;
    for (std::size_t start = 0; start + 441 <= left.size(); start += 441) {
        const float peak = *std::max_element(left.begin() + std::ptrdiff_t(start),
                                             left.begin() + std::ptrdiff_t(start + 441));
        for (const float level : {0.35f, 0.5f, 0.65f, 0.8f})
            if (std::abs(peak - level) < 0.06f && (levels.empty() || levels.back() != level))
                levels.push_back(level);
    }
    EXPECT_EQ(levels, (std::vector<float>{0.5f, 0.8f, 0.35f}));
}

} // namespace
