// Runs against a sound server with a null sink that the test command starts and PULSE_SERVER
// names.
#include "audio/PulseAudioOutput.h"
#include "support/SoundServer.h"
#include "support/SoundTest.h"

#include <cmath>

namespace {

class PulseAudioOutputTest : public SoundTest
{};

TEST_F(PulseAudioOutputTest, ASineIsHeardAtItsFrequencyLevelAndTimeUnderItsTitle)
{
    Mp3Options tagged;
    tagged.id3v2Title = "Sinus für den Mixer";
    MonitorRecorder monitor;
    std::vector<std::pair<double, double>> readings; // wall time, current time
    playThrough(
        {mp3("sine.mp3", afterLeadIn(sineWave(440, 0.5, 44100, 2, 44100)), tagged)}, &monitor,
        [&] { readings.emplace_back(steadySeconds(), controller.player()->currentTime()); });
    const std::vector<float>& recording = monitor.stop();
    const QString mixer = sinkInputs(); // the stream stays open for the next track
    EXPECT_TRUE(dynamic_cast<const PulseAudioOutput*>(output->device()));
    for (const char* property :
         {"application.name = \"Kassolin\"", "application.icon_name = \"org.kassolin.Kassolin\"",
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
    // A second of 440 Hz ends where it began, so that a second one continues it.
    const Pcm sine = sineWave(440, 0.5, 44100, 2, 44100);
    MonitorRecorder monitor;
    playThrough({mp3("first.mp3", afterLeadIn(sine)), mp3("second.mp3", sine)}, &monitor);
    const auto [left, longestGap] = audiblePart(monitor.stop());
    EXPECT_NEAR(static_cast<double>(left.size()), 2 * 44100.0, 0.02 * 44100);
    EXPECT_LT(longestGap, 88u); // 2 ms

    EXPECT_EQ(controller.analysisGeneration(), 2u); // advanced exactly once
    EXPECT_FALSE(controller.player()->isPlaying());
    EXPECT_EQ(controller.player()->currentTime(), 0.0);
    EXPECT_TRUE(alerts.alerts.empty());
}

} // namespace
