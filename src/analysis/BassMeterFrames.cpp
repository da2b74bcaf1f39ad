#include "analysis/BassMeterFrames.h"

#include "analysis/BoundedCount.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SampleReader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr std::size_t frameLimit = 12000;
constexpr double shortestFrameDuration = 1.0 / 60.0;
constexpr double shortestTrackDuration = 0.1;
constexpr double cutoffHertz = 180.0;
constexpr float floorDecibels = -60.0f;

// A peak that is not a number gives way to the next value; a value that is not a number
// leaves the peak as it was.
float peakWith(float peak, float value)
{
    return std::isnan(peak) || value > peak ? value : peak;
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
        for (float sample : samples) {
            if (m_channelCount == 1) {
                m_left = (sample - m_left) * m_alpha + m_left;
                m_right = m_left;
                m_leftPeak = peakWith(m_leftPeak, std::fabs(m_left));
                m_rightPeak = m_leftPeak;
                if (!countFrame())
                    return false;
            } else if (m_channel == 0) {
                m_pendingLeft = sample;
            } else if (m_channel == 1) {
                m_left = m_left + (m_pendingLeft - m_left) * m_alpha;
                m_right = m_right + (sample - m_right) * m_alpha;
                m_leftPeak = peakWith(m_leftPeak, std::fabs(m_left));
                m_rightPeak = peakWith(m_rightPeak, std::fabs(m_right));
                if (!countFrame())
                    return false;
            }
            if (++m_channel == m_channelCount)
                m_channel = 0;
        }
        return true;
    }

    // The last frame of the track may be shorter than the others.
    void finish()
    {
        if (m_framesInFrame > 0 && m_frames.size() < frameLimit)
            appendFrame();
    }

private:
    static float filterCoefficient(double sampleRate)
    {
        const double omega = 2.0 * std::numbers::pi * cutoffHertz;
        return static_cast<float>(omega / (sampleRate + omega));
    }

    bool countFrame()
    {
        if (++m_framesInFrame < m_frameLength)
            return true;
        appendFrame();
        if (m_frames.size() >= frameLimit)
            return false;
        m_leftPeak = 0.0f;
        m_rightPeak = 0.0f;
        m_framesInFrame = 0;
        return true;
    }

    void appendFrame()
    {
        m_frames.push_back({decibelsForAmplitude(m_leftPeak), decibelsForAmplitude(m_rightPeak)});
    }

    BassMeterFrames& m_frames;
    std::uint32_t m_channelCount;
    std::uint64_t m_frameLength;
    float m_alpha;
    float m_left = 0.0f;
    float m_right = 0.0f;
    float m_leftPeak = 0.0f;
    float m_rightPeak = 0.0f;
    float m_pendingLeft = 0.0f;
    std::uint32_t m_channel = 0;
    std::uint64_t m_framesInFrame = 0;
};

} // namespace

double bassMeterFrameDurationForDuration(double duration)
{
    const double seconds = duration >= shortestTrackDuration ? duration : shortestTrackDuration;
    return std::max(seconds / static_cast<double>(frameLimit), shortestFrameDuration);
}

float decibelsForAmplitude(float amplitude)
{
    // NaN fails the comparison and reads as silence, like an amplitude below the floor.
    const float limited = amplitude > 0.000001f ? amplitude : 0.000001f;
    return std::max(20.0f * std::log10(limited) + 2.0f, floorDecibels);
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
