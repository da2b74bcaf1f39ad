// Runs against a sound server with a null sink that the test command starts and PULSE_SERVER
// names; the fallback case is given a socket where no server listens.
#include "audio/PulseAudioOutput.h"
#include "audio/Mp3AudioPlayer.h"
#include "audio/SdlAudioOutput.h"
#include "player/PlayerWindowController.h"
#include "support/FixtureFiles.h"
#include "support/MonitorRecorder.h"
#include "support/RecordingAlertPresenter.h"
#include "support/TrackLoading.h"

#include <cmath>

#include <QProcess>

#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Frames of a signal, the first ones after half a second of silence: a sink mixes a new stream
// into audio that its monitor has already passed on, so a recording misses the very start.
Pcm afterLeadIn(const Pcm& signal, std::int64_t first, std::int64_t count)
{
    Pcm track = silence(44100, 2, first == 0 ? 22050 : 0);
    const auto begin = signal.samples.begin() + 2 * first;
    track.samples.insert(track.samples.end(), begin, begin + 2 * count);
    return track;
}

// The left channel from the first to the last frame above -60 dBFS, and its longest silence.
std::pair<std::vector<float>, std::size_t> audiblePart(const std::vector<float>& stereo)
{
    const auto loud = [](float sample) { return std::abs(sample) >= 0.001f; };
    const auto first = std::find_if(stereo.begin(), stereo.end(), loud) - stereo.begin();
    const auto end = stereo.rend() - std::find_if(stereo.rbegin(), stereo.rend(), loud);
    std::vector<float> left;
    std::size_t gap = 0;
    std::size_t longestGap = 0;
    for (auto i = first / 2 * 2; i + 1 < end; i += 2) {
        gap = loud(stereo[i]) || loud(stereo[i + 1]) ? 0 : gap + 1;
        longestGap = std::max(longestGap, gap);
        left.push_back(stereo[i]);
    }
    return {left, longestGap};
}

class PulseAudioOutputTest : public ::testing::Test
{
protected:
    QUrl mp3(const char* name, const Pcm& pcm, const Mp3Options& options = {})
    {
        return QUrl::fromLocalFile(files.writeMp3(QString::fromUtf8(name), pcm, options));
    }

    // Plays the tracks until the controller has stopped after the last and its tail has sounded.
    void playThrough(
        const QList<QUrl>& tracks, const std::function<void()>& whilePlaying = [] {})
    {
        ASSERT_TRUE(loadAndOpen(controller, tracks, 0, true));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                whilePlaying();
                return controller.playlistIndex() == tracks.size() - 1 &&
                       !controller.isTimerRunning();
            },
            10000));
        QTest::qWait(1000);
    }

    FixtureFiles files;
    std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>();
    RecordingAlertPresenter alerts;
    PlayerWindowController controller{Mp3AudioPlayer::factory(output), alerts};
};

TEST_F(PulseAudioOutputTest, ASineIsHeardAtItsFrequencyLevelAndTimeUnderItsTitle)
{
    Mp3Options tagged;
    tagged.id3v2Title = "Sinus für den Mixer";
    MonitorRecorder monitor;
    std::vector<std::pair<double, double>> readings; // wall time, current time
    playThrough(
        {mp3("sine.mp3", afterLeadIn(sineWave(440, 0.5, 44100, 2, 44100), 0, 44100), tagged)},
        [&] { readings.emplace_back(steadySeconds(), controller.player()->currentTime()); });
    const std::vector<float>& recording = monitor.stop();
    QProcess pactl; // the stream stays open for the next track
    pactl.start("pactl", {"list", "sink-inputs"});
    pactl.waitForFinished();
    const QString mixer = QString::fromUtf8(pactl.readAllStandardOutput());
    EXPECT_TRUE(dynamic_cast<const PulseAudioOutput*>(output->device()));
    for (const char* property :
         {"application.name = \"Kassolin\"", "application.icon_name = \"kassolin\"",
          "media.role = \"music\"", "media.name = \"Sinus für den Mixer\""})
        EXPECT_TRUE(mixer.contains(QString::fromUtf8(property))) << property;

    const auto [left, longestGap] = audiblePart(recording);
    EXPECT_NEAR(static_cast<double>(left.size()), 44100.0, 0.02 * 44100);
    double energy = 0.0;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < left.size(); ++i) {
        energy += left[i] * left[i];
        crossings += (left[i - 1] < 0.0f) != (left[i] < 0.0f);
    }
    EXPECT_NEAR(std::sqrt(energy / static_cast<double>(left.size())), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(static_cast<double>(crossings), 880.0, 4.0);

    // The onset is a click: what did the player read when the sink played it?
    const auto onset = std::find_if(recording.begin(), recording.end(),
                                    [](float sample) { return std::abs(sample) > 0.1f; });
    const double heardAt = monitor.heardAt(static_cast<std::size_t>(onset - recording.begin()) / 2);
    const auto after = std::find_if(readings.begin(), readings.end(),
                                    [&](const auto& reading) { return reading.first >= heardAt; });
    ASSERT_TRUE(after != readings.begin() && after != readings.end());
    const auto [wallBefore, timeBefore] = *(after - 1);
    const auto [wallAfter, timeAfter] = *after;
    const double timeThen =
        timeBefore + (heardAt - wallBefore) * (timeAfter - timeBefore) / (wallAfter - wallBefore);
    std::printf("current time when the sink played the onset at 0.5 s: %.4f s\n", timeThen);
    EXPECT_NEAR(timeThen, 0.5, 0.03);
}

TEST_F(PulseAudioOutputTest, TheHalvesOfOneSignalFollowEachOtherWithoutSilence)
{
    const Pcm sine = sineWave(440, 0.5, 44100, 2, 2 * 44100);
    MonitorRecorder monitor;
    playThrough({mp3("first.mp3", afterLeadIn(sine, 0, 44100)),
                 mp3("second.mp3", afterLeadIn(sine, 44100, 44100))});
    const auto [left, longestGap] = audiblePart(monitor.stop());
    EXPECT_NEAR(static_cast<double>(left.size()), 2 * 44100.0, 0.02 * 44100);
    EXPECT_LT(longestGap, 88u); // 2 ms

    EXPECT_EQ(controller.analysisGeneration(), 2u); // advanced exactly once
    EXPECT_FALSE(controller.player()->isPlaying());
    EXPECT_EQ(controller.player()->currentTime(), 0.0);
    EXPECT_TRUE(alerts.alerts.empty());
}

TEST_F(PulseAudioOutputTest, WithNoServerTheSoundDevicePlays)
{
    playThrough({mp3("sine.mp3", sineWave(440, 0.5, 44100, 2, 22050))});
    EXPECT_TRUE(dynamic_cast<const SdlAudioOutput*>(output->device()));
    EXPECT_FALSE(output->isOnSilentClock());
}

} // namespace
