// Runs against a sound server with a null sink that the test command starts and PULSE_SERVER
// names; the fallback case is given a socket where no server listens.
#include "platform/PulseAudioOutput.h"
#include "platform/AudioPlayerDelegate.h"
#include "platform/Mp3AudioPlayer.h"
#include "platform/SdlAudioOutput.h"
#include "player/PlayerWindowController.h"
#include "support/EventLoop.h"
#include "support/FixtureFiles.h"
#include "support/MonitorRecorder.h"
#include "support/RecordingAlertPresenter.h"
#include "support/SignalMeasures.h"

#include <cmath>

#include <QProcess>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr std::size_t twoMilliseconds = 88;

struct EndCounter final : AudioPlayerDelegate
{
    void audioPlayerDidFinishPlaying(AudioPlayer*, bool) override { ++ends; }
    int ends = 0;
};

Pcm framesOf(const Pcm& pcm, std::int64_t first, std::int64_t count)
{
    const auto begin = pcm.samples.begin() + first * pcm.channels;
    return {pcm.sampleRate, pcm.channels, {begin, begin + count * pcm.channels}};
}

// The signal after half a second of silence. A sink mixes a new stream into audio it has
// already rendered, which its monitor has passed on unmixed: the start is not recorded.
Pcm afterLeadIn(const Pcm& signal)
{
    Pcm track = silence(signal.sampleRate, signal.channels, signal.sampleRate / 2);
    track.samples.insert(track.samples.end(), signal.samples.begin(), signal.samples.end());
    return track;
}

class PulseAudioOutputTest : public ::testing::Test
{
protected:
    std::unique_ptr<Mp3AudioPlayer> open(const QString& path)
    {
        QString error;
        auto player = Mp3AudioPlayer::open(path, &error, output);
        EXPECT_TRUE(player) << error.toStdString();
        if (player)
            player->setDelegate(&counter);
        return player;
    }

    // Plays until the end has been reported and the tail has sounded.
    void playOut(
        AudioPlayer& player, const std::function<void()>& whilePlaying = [] {})
    {
        player.play();
        ASSERT_TRUE(processEventsUntil(
            [&] {
                whilePlaying();
                return counter.ends > 0;
            },
            10s));
        processEventsFor(1s);
    }

    FixtureFiles files;
    std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>();
    EndCounter counter;
};

TEST_F(PulseAudioOutputTest, ASineReachesTheServerAtItsFrequencyAndLevelUnderItsTitle)
{
    Mp3Options tagged;
    tagged.id3v2Title = "Sinus für den Mixer";
    auto player =
        open(files.writeMp3("sine.mp3", afterLeadIn(sineWave(440, 0.5, 44100, 2, 44100)), tagged));
    ASSERT_TRUE(player);
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.isRecording());
    QString mixer;
    playOut(*player, [&] {
        if (mixer.isEmpty() && player->currentTime() > 0.2) {
            QProcess pactl;
            pactl.start(QStringLiteral("pactl"),
                        {QStringLiteral("list"), QStringLiteral("sink-inputs")});
            pactl.waitForFinished();
            mixer = QString::fromUtf8(pactl.readAllStandardOutput());
        }
    });
    monitor.stop();
    EXPECT_TRUE(dynamic_cast<const PulseAudioOutput*>(output->device()));
    for (const char* property :
         {"application.name = \"Kassolin\"", "application.icon_name = \"kassolin\"",
          "media.role = \"music\"", "media.name = \"Sinus für den Mixer\""})
        EXPECT_TRUE(mixer.contains(QString::fromUtf8(property))) << property;

    const AudibleSpan heard = audibleSpan(monitor.samples());
    EXPECT_NEAR(static_cast<double>(heard.frames), 44100.0, 0.02 * 44100);
    double energy = 0.0;
    for (float sample : heard.left)
        energy += sample * sample;
    EXPECT_NEAR(std::sqrt(energy / static_cast<double>(heard.frames)), 0.5 / std::sqrt(2.0), 0.02);
    const double at440 = powerAt(heard.left, 440, 44100);
    EXPECT_GT(at440, 1000 * powerAt(heard.left, 880, 44100));
    EXPECT_GT(at440, 1000 * powerAt(heard.left, 300, 44100));
}

TEST_F(PulseAudioOutputTest, TheHalvesOfOneSignalFollowEachOtherWithoutSilence)
{
    const Pcm whole = afterLeadIn(sineWave(440, 0.5, 44100, 2, 2 * 44100));
    const QList<QUrl> halves{
        QUrl::fromLocalFile(files.writeMp3("first.mp3", framesOf(whole, 0, 55125))),
        QUrl::fromLocalFile(files.writeMp3("second.mp3", framesOf(whole, 55125, 55125)))};
    RecordingAlertPresenter alerts;
    PlayerWindowController controller(Mp3AudioPlayer::factory(output), alerts);
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.isRecording());

    controller.loadPlaylist(halves, 0, true);
    ASSERT_TRUE(processEventsUntil(
        [&] { return controller.playlistIndex() == 1 && !controller.isTimerRunning(); }, 10s));
    processEventsFor(1s);
    monitor.stop();

    const AudibleSpan heard = audibleSpan(monitor.samples());
    EXPECT_NEAR(static_cast<double>(heard.frames), 2 * 44100.0, 0.02 * 44100);
    EXPECT_LT(heard.longestGap, twoMilliseconds);
}

TEST_F(PulseAudioOutputTest, TheCurrentTimeIsWhatTheSinkPlays)
{
    // A tone from 0.5 s on: its onset is the click to find in the recording.
    auto player =
        open(files.writeMp3("click.mp3", afterLeadIn(sineWave(1000, 0.5, 44100, 2, 44100))));
    ASSERT_TRUE(player);
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.isRecording());
    std::vector<std::pair<double, double>> readings; // wall time, current time
    playOut(*player, [&] { readings.emplace_back(steadySeconds(), player->currentTime()); });
    monitor.stop();

    const std::vector<float>& samples = monitor.samples();
    const auto onset = std::find_if(samples.begin(), samples.end(),
                                    [](float sample) { return std::abs(sample) > 0.1f; });
    ASSERT_NE(onset, samples.end());
    const double heardAt = monitor.heardAt(static_cast<std::size_t>(onset - samples.begin()) / 2);
    const auto after = std::find_if(readings.begin(), readings.end(),
                                    [&](const auto& reading) { return reading.first >= heardAt; });
    ASSERT_TRUE(after != readings.begin() && after != readings.end());
    const auto& [wallBefore, timeBefore] = *(after - 1);
    const auto& [wallAfter, timeAfter] = *after;
    const double timeThen =
        timeBefore + (heardAt - wallBefore) * (timeAfter - timeBefore) / (wallAfter - wallBefore);
    std::printf("current time when the click is heard: %.4f s (click at 0.5 s)\n", timeThen);
    EXPECT_NEAR(timeThen, 0.5, 0.03);
}

TEST_F(PulseAudioOutputTest, WithNoServerTheSoundDevicePlays)
{
    auto player = open(files.writeMp3("sine.mp3", sineWave(440, 0.5, 44100, 2, 22050)));
    ASSERT_TRUE(player);
    playOut(*player);
    EXPECT_TRUE(dynamic_cast<const SdlAudioOutput*>(output->device()));
    EXPECT_FALSE(player->isOnSilentClock());
}

} // namespace
