// Runs against a sound server with a null sink that the test command starts and PULSE_SERVER
// names.
#include "audio/PulseAudioOutput.h"
#include "support/SoundServer.h"
#include "support/SoundTest.h"
#include "support/TrackLoading.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

// A second of 441 Hz after a lead-in of silence, then nothing for a while, as while a slow next
// track opens, then the wave goes on where it stopped.
class SineWithAPause final : public AudioOutput::Client
{
public:
    static constexpr int rate = 44100;
    static constexpr std::int64_t leadIn = rate / 2;
    static constexpr std::int64_t pauseAt = leadIn + rate;
    static constexpr std::int64_t end = pauseAt + rate;

    explicit SineWithAPause(std::chrono::milliseconds pause) : m_pause(pause) {}

    static float sample(std::int64_t frame)
    {
        return frame < leadIn
                   ? 0.0f
                   : 0.5f * static_cast<float>(std::sin(
                                2.0 * M_PI * 441.0 * static_cast<double>(frame - leadIn) / rate));
    }
    bool isDone() const { return m_given.load() == end; }

    int render(float* out, int frames, std::int64_t) override
    {
        const std::int64_t given = m_given.load();
        if (given == pauseAt) {
            const auto now = std::chrono::steady_clock::now();
            if (m_pausedSince == std::chrono::steady_clock::time_point{})
                m_pausedSince = now;
            if (now - m_pausedSince < m_pause)
                return 0;
        }
        const std::int64_t limit = given < pauseAt ? pauseAt : end;
        const auto count = static_cast<int>(std::min<std::int64_t>(frames, limit - given));
        for (int frame = 0; frame < count; ++frame)
            out[2 * frame] = out[2 * frame + 1] = sample(given + frame);
        m_given.store(given + count);
        return count;
    }
    void outputLost() override {}

private:
    const std::chrono::milliseconds m_pause;
    std::chrono::steady_clock::time_point m_pausedSince{};
    std::atomic<std::int64_t> m_given{0};
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

// The next file takes 3 s to open (a disk waking up, a network share): it is opened well before
// the track ends, and follows it without a break.
TEST_F(PulseAudioOutputTest, ANextFileSlowToOpenFollowsWithoutABreak)
{
    const Pcm sine = sineWave(440, 0.5, 44100, 2, 4 * 44100);
    const QUrl first = mp3("first.mp3", afterLeadIn(sine));
    const QUrl second = mp3("second.mp3", sineWave(440, 0.5, 44100, 2, 44100));
    beforeOpening = [second](const QString& path) {
        if (path == second.toLocalFile())
            std::this_thread::sleep_for(std::chrono::seconds(3));
    };
    MonitorRecorder monitor;
    playThrough({first, second}, &monitor);
    const auto [left, longestGap] = audiblePart(monitor.stop());
    EXPECT_NEAR(static_cast<double>(left.size()), 5 * 44100.0, 0.01 * 44100);
    EXPECT_LT(longestGap, 88u); // 2 ms
    EXPECT_EQ(controller.analysisGeneration(), 2u);
}

// A seek back in a track whose last frame was handed already: while its tail plays out on the
// device of its rate the next track, at another rate, waits for its own device; or the next
// track is still opening. Either way the track plays on from the place sought, and the next one
// is heard after it, to the end of the list.
TEST_F(PulseAudioOutputTest, ASeekBackAfterTheHandOverPlaysOnAndTheNextTrackFollows)
{
    for (const int nextRate : {48000, 44100}) {
        const QUrl first = mp3("first.mp3", afterLeadIn(sineWave(440, 0.5, 44100, 2, 2 * 44100)));
        const QUrl second = mp3("second.mp3", sineWave(440, 0.25, nextRate, 2, nextRate));
        // At the same rate the next track is still opening when the seek comes.
        beforeOpening = [second, nextRate](const QString& path) {
            if (path == second.toLocalFile() && nextRate == 44100)
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        };
        ASSERT_TRUE(loadAndOpen(controller, {first, second}, 0, true));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return controller.player()->currentTime() > 2.2; }, 10000));
        controller.player()->setCurrentTime(1.0);
        EXPECT_LT(controller.player()->currentTime(), 1.5) << nextRate;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return controller.playlistIndex() == 1 && controller.player() &&
                       controller.player()->currentTime() > 0.5;
            },
            10000))
            << nextRate;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isTimerRunning(); }, 10000))
            << nextRate;
    }
}

} // namespace

namespace {

// Nothing to write for a quarter second, less than the server holds: the wave goes on after
// the silence that filled in, exactly where it stopped, with no hole at the join (on PipeWire, a
// drain sent while waiting left one), and the output's end is heard to its last frame.
TEST(PulseAudioOutputJoinTest, AudioThatComesLateFollowsWithoutAHoleAndTheEndIsHeard)
{
    MonitorRecorder monitor;
    SineWithAPause client(std::chrono::milliseconds(250));
    PulseAudioOutput output;
    ASSERT_TRUE(output.open({SineWithAPause::rate, 2}, &client));
    output.setPaused(false);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<float> peaks = windowPeaks(monitor.recorded());
            // Two seconds of the wave in 10 ms windows, then a tenth of a second of silence.
            return client.isDone() &&
                   std::count_if(peaks.begin(), peaks.end(), [](float p) { return p > 0.1f; }) >=
                       195 &&
                   std::all_of(peaks.end() - 10, peaks.end(), [](float p) { return p < 1e-3f; });
        },
        10000));
    const std::vector<float> recording = monitor.stop();

    const auto loud = [](float sample) { return std::abs(sample) >= 0.001f; };
    const auto firstLoud =
        static_cast<std::int64_t>(std::find_if(recording.begin(), recording.end(), loud) -
                                  recording.begin()) /
        2;
    const auto last =
        static_cast<std::int64_t>(recording.rend() -
                                  std::find_if(recording.rbegin(), recording.rend(), loud) - 1) /
        2;
    // The largest difference from the wave over `frames` from `from`, with the wave's first frame
    // heard at `start`.
    const auto deviation = [&](std::int64_t start, std::int64_t from, std::int64_t frames) {
        float worst = 0.0f;
        for (std::int64_t frame = from; frame < std::min(from + frames, last); ++frame)
            worst = std::max(
                worst, std::abs(recording[static_cast<std::size_t>(2 * frame)] -
                                SineWithAPause::sample(frame - start + SineWithAPause::leadIn)));
        return worst;
    };
    // A sink may ease a new stream in over its first frames: the start is where the wave fits.
    std::int64_t start = firstLoud;
    for (std::int64_t candidate = firstLoud - 8; candidate <= firstLoud + 8; ++candidate) {
        if (deviation(candidate, firstLoud + 441, 4410) < deviation(start, firstLoud + 441, 4410))
            start = candidate;
    }
    EXPECT_NEAR(static_cast<double>(last - start), 2.0 * 44100, 8.0);
    // Off by a frame, the wave differs by 0.03.
    EXPECT_LT(deviation(start, start + 44100 - 4410, 2 * 4410), 0.02f);
}

} // namespace
