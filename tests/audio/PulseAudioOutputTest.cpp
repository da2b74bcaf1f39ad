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
#include <optional>
#include <thread>

namespace {

// A second of 441 Hz after a lead-in of silence, then nothing for a while, as while a slow next
// track opens, then the wave goes on where it stopped.
class SineWithAPause final : public AudioOutput::Client
{
public:
    static constexpr std::int64_t leadIn = 44100 / 2, pauseAt = leadIn + 44100,
                                  end = pauseAt + 44100;

    explicit SineWithAPause(std::chrono::milliseconds pause) : m_pause(pause) {}

    static float sample(std::int64_t frame)
    {
        const double time = static_cast<double>(frame - leadIn) / 44100;
        return frame < leadIn ? 0.0f : 0.5f * static_cast<float>(std::sin(2 * M_PI * 441 * time));
    }
    bool isDone() const { return m_given.load() == end; }

    int render(float* out, int frames, std::int64_t) override
    {
        const std::int64_t given = m_given.load();
        const auto now = std::chrono::steady_clock::now();
        if (given == pauseAt && now - *(m_pausedSince = m_pausedSince.value_or(now)) < m_pause)
            return 0;
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
    std::optional<std::chrono::steady_clock::time_point> m_pausedSince;
    std::atomic<std::int64_t> m_given{0};
};

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
    ASSERT_TRUE(output.open({44100, 2}, &client));
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
    const std::vector<float> left = audiblePart(monitor.stop()).first;
    // The largest difference from the wave over `frames` from `from`, where the wave's frame
    // `shift` is heard first: a sink may ease a new stream in over its first frames.
    const auto deviation = [&](std::int64_t shift, std::size_t from, std::size_t frames) {
        float worst = 0.0f;
        for (std::size_t i = from; i < std::min(from + frames, left.size()); ++i)
            worst = std::max(
                worst, std::abs(left[i] - SineWithAPause::sample(SineWithAPause::leadIn + shift +
                                                                 static_cast<std::int64_t>(i))));
        return worst;
    };
    std::int64_t shift = -8;
    for (std::int64_t candidate = -7; candidate <= 8; ++candidate) {
        if (deviation(candidate, 441, 4410) < deviation(shift, 441, 4410))
            shift = candidate;
    }
    EXPECT_NEAR(static_cast<double>(left.size()) + static_cast<double>(shift), 2.0 * 44100, 8.0);
    // Off by a frame, the wave differs by 0.03.
    EXPECT_LT(deviation(shift, 44100 - 4410, 2 * 4410), 0.02f);
}

} // namespace
