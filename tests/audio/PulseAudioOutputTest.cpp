// Runs against a sound server with a null sink that the test command starts and PULSE_SERVER
// names.
#include "audio/PulseAudioOutput.h"
#include "soundcheck/SoundServer.h"
#include "support/SoundTest.h"
#include "support/TrackLoading.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <optional>

using namespace std::chrono_literals;

namespace {

// Two seconds of 441 Hz after a lead-in, with nothing to give for a quarter second after the
// first, as while a slow next track opens.
struct SineWithAPause final : AudioOutput::Client
{
    int render(float* out, int frames, std::int64_t) override
    {
        const std::int64_t done = given.load();
        const auto now = std::chrono::steady_clock::now();
        if (done == pauseAt && now < *(resumeAt = resumeAt.value_or(now + 250ms)))
            return 0;
        const auto count = static_cast<int>(
            std::min<std::int64_t>(frames, (done < pauseAt ? pauseAt : end) - done));
        std::copy_n(wave.samples.begin() + 2 * done, 2 * count, out);
        given.store(done + count);
        return count;
    }
    void outputLost() override {}

    const Pcm wave = afterLeadIn(sineWave(441, 0.5, 44100, 2, 2 * 44100));
    const std::int64_t pauseAt = 3 * 44100 / 2, end = 5 * 44100 / 2;
    std::atomic<std::int64_t> given{0};
    std::optional<std::chrono::steady_clock::time_point> resumeAt;
};

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
    EXPECT_NEAR(rms(left), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(double(zeroCrossings(left)), 880.0, 4.0);

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

// A seek back once the last frame is handed, while the next track waits for its device at another
// rate, or is queued behind at the same: the track plays on from there, and the next one after.
TEST_F(PulseAudioOutputTest, ASeekBackAfterTheHandOverPlaysOnAndTheNextTrackFollows)
{
    for (const int nextRate : {48000, 44100}) {
        const QUrl first = mp3("first.mp3", afterLeadIn(sineWave(440, 0.5, 44100, 2, 2 * 44100)));
        const QUrl second = mp3("second.mp3", sineWave(440, 0.25, nextRate, 2, nextRate));
        ASSERT_TRUE(loadAndOpen(controller, {first, second}, 0, true));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return controller.player()->currentTime() > 2.2; }, 10000));
        controller.player()->setCurrentTime(1.0);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return controller.playlistIndex() == 1 && controller.player() &&
                       controller.player()->currentTime() > 0.5;
            },
            10000))
            << nextRate;
    }
}

// Nothing to write for a quarter second, less than the server holds: what comes then follows
// what was written without a hole (on PipeWire, a drain sent while waiting left one), and the
// end is heard to its last frame.
TEST(PulseAudioOutputJoinTest, AudioThatComesLateFollowsWithoutAHoleAndTheEndIsHeard)
{
    MonitorRecorder monitor;
    SineWithAPause client;
    PulseAudioOutput output;
    ASSERT_TRUE(output.open({44100, 2}, &client));
    output.setPaused(false);
    // Once the end has been given, a tenth of a second of silence after it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client.given.load() == client.end && monitor.isSilentFor(10); }, 10000));
    // A hole anywhere would make it longer; the recording's own drops would not.
    EXPECT_NEAR(static_cast<double>(audiblePart(monitor.stop()).first.size()), 2.0 * 44100, 8.0);
}

} // namespace
