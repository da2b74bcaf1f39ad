#include "analysis/SpectrumFrames.h"

#include "analysis/BoundedCount.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SampleReader.h"
#include "analysis/SpectrumBandMeter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr std::uint64_t spectrumFrameLimit = 6000;
constexpr double shortestSpectrumFrameDuration = 0.05;
constexpr double shortestSpectrumTrackDuration = 0.1;
constexpr std::uint64_t shortestFrameLength = 256;
constexpr std::uint64_t longestBlock = 1024;
constexpr std::uint64_t shortestBlock = 32;
// The block's first allocation; it grows as samples come, as far as a frame. Allocating a
// whole frame up front would trust a frame duration that may be absurd.
constexpr std::uint64_t largestReservation = 1 << 18;

// The bands are computed from the rate in single precision: beyond the float range the
// conversion is undefined, and a rate too small for it becomes 0.
bool isUsableRate(double sampleRate)
{
    return sampleRate <= std::numeric_limits<float>::max() && static_cast<float>(sampleRate) > 0.0f;
}

// Measures blocks with a meter made for their length, kept for the next block of that length.
class BlockMeasure
{
public:
    BlockMeasure(std::uint64_t bandCount, double sampleRate)
        : m_bandCount(bandCount), m_sampleRate(sampleRate)
    {}

    SpectrumLevels levels(const float* samples, std::uint64_t sampleCount)
    {
        if (sampleCount < shortestBlock)
            return SpectrumLevels(m_bandCount, 0.0f);
        const std::uint64_t length = std::min(sampleCount, longestBlock);
        if (!m_meter || m_meter->blockLength() != length)
            m_meter.emplace(length, m_bandCount, m_sampleRate);
        const std::vector<double> measured = m_meter->measure(samples + (sampleCount - length) / 2);
        return SpectrumLevels(measured.begin(), measured.end());
    }

private:
    std::uint64_t m_bandCount;
    double m_sampleRate;
    std::optional<SpectrumBandMeter> m_meter;
};

class SpectrumAccumulator
{
public:
    SpectrumAccumulator(SpectrumFrames& frames, const AudioFormat& format, double frameDuration,
                        double trackDuration, std::uint64_t bandCount)
        : m_frames(frames), m_channelCount(static_cast<std::uint32_t>(format.channelCount)),
          m_frameLength(boundedCount(frameDuration * format.sampleRate, shortestFrameLength,
                                     std::numeric_limits<std::uint64_t>::max())),
          m_frameCountLimit(frameCountLimit(trackDuration, frameDuration)),
          m_measure(bandCount, format.sampleRate),
          m_divisorIsPowerOfTwo(std::has_single_bit(m_channelCount)),
          m_reciprocal(1.0 / m_channelCount), m_block(std::min(m_frameLength, largestReservation))
    {}

    // False once the frame limit is reached: the rest of the track is not needed.
    bool add(std::span<const float> samples)
    {
        for (std::size_t next = 0; next < samples.size();) {
            makeRoom();
            next = downmix(samples, next);
            if (m_blockSize == m_frameLength && !appendBlock())
                return false;
        }
        return true;
    }

    // The last block of the track may be shorter than the others.
    void finish()
    {
        if (m_blockSize > 0 && m_frames.size() < m_frameCountLimit)
            appendBlock();
    }

private:
    static std::uint64_t frameCountLimit(double trackDuration, double frameDuration)
    {
        const double seconds =
            trackDuration >= shortestSpectrumTrackDuration ? trackDuration : shortestSpectrumTrackDuration;
        return boundedCount(std::ceil(seconds / frameDuration), 1, spectrumFrameLimit);
    }

    // The block grows only as far as samples arrive, never beyond a frame.
    void makeRoom()
    {
        if (m_blockSize == m_block.size())
            m_block.resize(std::min<std::uint64_t>(m_block.size() * 2, m_frameLength));
    }

    // Averages the channels of the samples from `first` on into the block, until the block's
    // room is used or the samples end; returns the index of the first sample left.
    std::size_t downmix(std::span<const float> samples, std::size_t first)
    {
        if (m_channelCount == 2 && m_channel == 0)
            first += downmixStereoFrames(samples.subspan(first));
        // Locals, not members, so that the loop keeps them in registers.
        float* block = m_block.data();
        const std::size_t room = m_block.size();
        std::size_t size = m_blockSize;
        double sum = m_sum;
        std::uint32_t channel = m_channel;
        std::size_t i = first;
        for (; i < samples.size() && size < room; ++i) {
            sum += static_cast<double>(samples[i]);
            if (++channel < m_channelCount)
                continue;
            block[size++] = monoSample(sum);
            sum = 0.0;
            channel = 0;
        }
        m_blockSize = size;
        m_sum = sum;
        m_channel = channel;
        return i;
    }

    // The common case, stereo, whole frames at once: a loop the compiler vectorises. Returns
    // the samples used.
    std::size_t downmixStereoFrames(std::span<const float> samples)
    {
        const std::size_t frames = std::min(samples.size() / 2, m_block.size() - m_blockSize);
        float* block = m_block.data() + m_blockSize;
        for (std::size_t frame = 0; frame < frames; ++frame) {
            // Summed from 0.0 like every other frame, so that even the sign of a zero agrees.
            const double sum = 0.0 + static_cast<double>(samples[2 * frame]) +
                               static_cast<double>(samples[2 * frame + 1]);
            block[frame] = static_cast<float>(sum * 0.5);
        }
        m_blockSize += frames;
        return 2 * frames;
    }

    float monoSample(double sum) const
    {
        // For a power of two the product equals the quotient, and takes a fraction of its time.
        return static_cast<float>(m_divisorIsPowerOfTwo ? sum * m_reciprocal
                                                        : sum / m_channelCount);
    }

    bool appendBlock()
    {
        m_frames.push_back(m_measure.levels(m_block.data(), m_blockSize));
        m_blockSize = 0;
        return m_frames.size() < m_frameCountLimit;
    }

    SpectrumFrames& m_frames;
    std::uint32_t m_channelCount;
    std::uint64_t m_frameLength;
    std::uint64_t m_frameCountLimit;
    BlockMeasure m_measure;
    bool m_divisorIsPowerOfTwo;
    double m_reciprocal;
    // Samples 0 … m_blockSize - 1 of the storage hold the block under construction.
    std::vector<float> m_block;
    std::size_t m_blockSize = 0;
    double m_sum = 0.0;
    std::uint32_t m_channel = 0;
};

} // namespace

double spectrumFrameDurationForDuration(double duration)
{
    const double seconds = duration >= shortestSpectrumTrackDuration ? duration : shortestSpectrumTrackDuration;
    return std::max(seconds / static_cast<double>(spectrumFrameLimit), shortestSpectrumFrameDuration);
}

SpectrumLevels emptySpectrumLevels()
{
    return SpectrumLevels(spectrumBandCount, 0.0f);
}

SpectrumLevels spectrumLevelsForSamples(const float* samples, std::uint64_t sampleCount,
                                        std::uint64_t bandCount, double sampleRate)
{
    if (!samples || sampleCount < shortestBlock || !isUsableRate(sampleRate))
        return SpectrumLevels(bandCount, 0.0f);
    if (bandCount == 0)
        return {};
    return BlockMeasure(bandCount, sampleRate).levels(samples, sampleCount);
}

SpectrumFrames spectrumFramesForSource(SampleSource& source, double frameDuration,
                                       std::uint64_t bandCount,
                                       const AnalysisGeneration& generation)
{
    SpectrumFrames frames;
    if (!(frameDuration > 0.0) || bandCount == 0)
        return frames;
    SampleReader reader(source, generation);
    if (!reader.open())
        return frames;
    SpectrumAccumulator accumulator(frames, reader.format(), frameDuration, reader.duration(),
                                    bandCount);
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer()) {
        if (!accumulator.add(buffer))
            return frames;
    }
    if (!reader.wasSuperseded())
        accumulator.finish();
    return frames;
}

SpectrumFrames spectrumFramesForURL(const QUrl& url, double frameDuration, std::uint64_t bandCount,
                                    const AnalysisGeneration& generation)
{
    Mp3SampleSource source(url);
    return spectrumFramesForSource(source, frameDuration, bandCount, generation);
}
