#include "analysis/BassMeterFrames.h"

#include "analysis/BoundedCount.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SampleReader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr std::size_t bassFrameLimit = 12000;
constexpr double shortestBassFrameDuration = 1.0 / 60.0;
constexpr double shortestBassTrackDuration = 0.1;
constexpr double cutoffHertz = 180.0;

// A peak that is not a number gives way to the next value; a value that is not a number
// leaves the peak as it was.
float peakWith(float peak, float value)
{
    return std::isnan(peak) || value > peak ? value : peak;
}

// The filter outputs and the peaks of the frame in progress, carried from buffer to buffer.
struct BassState
{
    float left = 0.0f;
    float right = 0.0f;
    float leftPeak = 0.0f;
    float rightPeak = 0.0f;
};

// Filters `frames` whole stereo frames. Kept out of line and free of calls, so that the state
// stays in registers: the filter is a chain of dependent operations, and a memory round trip
// would lengthen every link.
[[gnu::noinline]] BassState filterStereoFrames(BassState state, const float* samples,
                                               std::uint64_t frames, float alpha)
{
    for (std::uint64_t frame = 0; frame < frames; ++frame) {
        state.left = state.left + (samples[2 * frame] - state.left) * alpha;
        state.right = state.right + (samples[2 * frame + 1] - state.right) * alpha;
        state.leftPeak = peakWith(state.leftPeak, std::fabs(state.left));
        state.rightPeak = peakWith(state.rightPeak, std::fabs(state.right));
    }
    return state;
}

class BassAccumulator
{
public:
    BassAccumulator(BassMeterFrames& frames, const AudioFormat& format, double frameDuration)
        : m_frames(frames), m_channelCount(static_cast<std::uint32_t>(format.channelCount)),
          m_frameLength(boundedCount(frameDuration * format.sampleRate, 1,
                                     std::numeric_limits<std::uint64_t>::max())),
          m_alpha(filterCoefficient(format.sampleRate))
    {}

    // False once the frame limit is reached: the rest of the track is not needed.
    bool add(std::span<const float> samples)
    {
        std::size_t i = 0;
        while (i < samples.size()) {
            const std::size_t used =
                m_channelCount == 2 && m_channel == 0 ? addStereoFrames(samples.subspan(i)) : 0;
            if (used > 0)
                i += used;
            else
                addSample(samples[i++]);
            if (m_framesInFrame == m_frameLength && !completeFrame())
                return false;
        }
        return true;
    }

    // The last frame of the track may be shorter than the others.
    void finish()
    {
        if (m_framesInFrame > 0 && m_frames.size() < bassFrameLimit)
            appendFrame();
    }

private:
    static float filterCoefficient(double sampleRate)
    {
        const double omega = 2.0 * std::numbers::pi * cutoffHertz;
        return static_cast<float>(omega / (sampleRate + omega));
    }

    // Any channel count, one sample at a time. Mono has one filter and one peak for both
    // sides; with more channels the left sample waits for the right one, and channels from the
    // third on are skipped.
    void addSample(float sample)
    {
        const std::uint32_t channel = m_channel;
        if (++m_channel == m_channelCount)
            m_channel = 0;
        if (m_channelCount == 1) {
            m_state.left = (sample - m_state.left) * m_alpha + m_state.left;
            m_state.leftPeak = peakWith(m_state.leftPeak, std::fabs(m_state.left));
            m_state.rightPeak = m_state.leftPeak;
            ++m_framesInFrame;
        } else if (channel == 0) {
            m_pendingLeft = sample;
        } else if (channel == 1) {
            const float pair[] = {m_pendingLeft, sample};
            m_state = filterStereoFrames(m_state, pair, 1, m_alpha);
            ++m_framesInFrame;
        }
    }

    // The common case, stereo, as many whole frames as the samples and the frame hold.
    // Returns the samples used: none when not even one frame is there.
    std::size_t addStereoFrames(std::span<const float> samples)
    {
        const std::uint64_t frames =
            std::min<std::uint64_t>(samples.size() / 2, m_frameLength - m_framesInFrame);
        m_state = filterStereoFrames(m_state, samples.data(), frames, m_alpha);
        m_framesInFrame += frames;
        return static_cast<std::size_t>(2 * frames);
    }

    // False when the frame limit is reached.
    bool completeFrame()
    {
        appendFrame();
        if (m_frames.size() >= bassFrameLimit)
            return false;
        m_state.leftPeak = 0.0f;
        m_state.rightPeak = 0.0f;
        m_framesInFrame = 0;
        return true;
    }

    void appendFrame()
    {
        m_frames.push_back(
            {decibelsForAmplitude(m_state.leftPeak), decibelsForAmplitude(m_state.rightPeak)});
    }

    BassMeterFrames& m_frames;
    std::uint32_t m_channelCount;
    std::uint64_t m_frameLength;
    float m_alpha;
    BassState m_state;
    float m_pendingLeft = 0.0f;
    std::uint32_t m_channel = 0;
    std::uint64_t m_framesInFrame = 0;
};

} // namespace

double bassMeterFrameDurationForDuration(double duration)
{
    const double seconds = duration >= shortestBassTrackDuration ? duration : shortestBassTrackDuration;
    return std::max(seconds / static_cast<double>(bassFrameLimit), shortestBassFrameDuration);
}

float decibelsForAmplitude(float amplitude)
{
    // NaN fails the comparison and reads as silence, like an amplitude below the floor.
    const float limited = amplitude > 0.000001f ? amplitude : 0.000001f;
    return std::max(20.0f * std::log10(limited) + 2.0f, silenceDecibels);
}

BassMeterFrames bassMeterFramesForSource(SampleSource& source, double frameDuration,
                                         const AnalysisGeneration& generation)
{
    BassMeterFrames frames;
    if (!(frameDuration > 0.0))
        return frames;
    SampleReader reader(source, generation);
    if (!reader.open())
        return frames;
    BassAccumulator accumulator(frames, reader.format(), frameDuration);
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer()) {
        if (!accumulator.add(buffer))
            return frames;
    }
    if (!reader.wasSuperseded())
        accumulator.finish();
    return frames;
}

BassMeterFrames bassMeterFramesForURL(const QUrl& url, double frameDuration,
                                      const AnalysisGeneration& generation)
{
    Mp3SampleSource source(url);
    return bassMeterFramesForSource(source, frameDuration, generation);
}
