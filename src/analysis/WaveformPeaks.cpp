#include "analysis/WaveformPeaks.h"

#include "analysis/BoundedCount.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SampleReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint64_t binsPerSecond = 600;
constexpr std::uint64_t minimumBins = 600;
constexpr std::uint64_t maximumBins = 36000;
constexpr std::uint64_t never = std::numeric_limits<std::uint64_t>::max();

// Bin of a frame: floor(frame × binCount / estimatedFrames), frames past the estimate in the
// last bin. The bin changes only every few dozen frames, so it is recomputed only when the
// frame reaches the first frame of the next bin.
class BinCursor
{
public:
    BinCursor(std::uint64_t binCount, std::uint64_t estimatedFrames)
        : m_binCount(binCount), m_estimatedFrames(estimatedFrames)
    {
        moveTo(0);
    }

    std::uint64_t bin() const { return m_bin; }
    std::uint64_t nextBinStart() const { return m_nextBinStart; }

    void moveTo(std::uint64_t frame)
    {
        // 128 bits keep frame × binCount exact for any length the decoder can report.
        using Wide = unsigned __int128;
        m_bin = static_cast<std::uint64_t>(
            std::min<Wide>(Wide{frame} * m_binCount / m_estimatedFrames, m_binCount - 1));
        if (m_bin + 1 >= m_binCount) {
            m_nextBinStart = never;
            return;
        }
        const Wide boundary = Wide{m_bin + 1} * m_estimatedFrames;
        m_nextBinStart = static_cast<std::uint64_t>(
            std::min<Wide>((boundary + m_binCount - 1) / m_binCount, never));
    }

private:
    std::uint64_t m_binCount;
    std::uint64_t m_estimatedFrames;
    std::uint64_t m_bin = 0;
    std::uint64_t m_nextBinStart = 0;
};

// Four floats in one vector register (SSE2, NEON): two stereo frames per step.
using FloatQuad = float __attribute__((vector_size(16)));
using BitsQuad = std::uint32_t __attribute__((vector_size(16)));

FloatQuad absoluteQuad(const float* samples)
{
    FloatQuad quad;
    std::memcpy(&quad, samples, sizeof quad);
    return reinterpret_cast<FloatQuad>(reinterpret_cast<BitsQuad>(quad) & 0x7fffffffu);
}

// Keeps the running peaks of the current bin and writes a bin's peaks once, when the frames
// move on to the next bin: bins are filled in frame order, so a bin is done when it is left.
class PeakAccumulator
{
public:
    PeakAccumulator(WaveformPeaks& peaks, int channelCount, std::uint64_t estimatedFrames)
        : m_peaks(peaks), m_channelCount(static_cast<std::uint32_t>(channelCount)),
          m_cursor(peaks.left.size(), estimatedFrames)
    {}

    void add(std::span<const float> samples)
    {
        std::size_t i = 0;
        while (i < samples.size()) {
            const std::size_t used =
                m_channelCount == 2 && m_channel == 0 ? addStereoFrames(samples.subspan(i)) : 0;
            if (used > 0)
                i += used;
            else
                addSample(samples[i++]);
        }
    }

    // Writes the peaks of the bin in progress.
    void finish() { store(); }

private:
    void addSample(float sample)
    {
        const float value = std::fabs(sample);
        if (m_channel == 0)
            m_left = std::max(value, m_left);
        if (m_channel == 1 || m_channelCount == 1)
            m_right = std::max(value, m_right);
        if (++m_channel < m_channelCount)
            return;
        m_channel = 0;
        advanceFrames(1);
    }

    // The common case, stereo, two frames at a time up to the end of the bin. Returns the
    // samples used: none when fewer than two frames remain in the samples or in the bin.
    std::size_t addStereoFrames(std::span<const float> samples)
    {
        const std::uint64_t framesInBin = m_cursor.nextBinStart() - m_frame;
        const std::uint64_t steps = std::min<std::uint64_t>(samples.size() / 4, framesInBin / 2);
        FloatQuad peaks = {m_left, m_right, m_left, m_right};
        for (std::uint64_t step = 0; step < steps; ++step) {
            const FloatQuad values = absoluteQuad(samples.data() + 4 * step);
            peaks = values > peaks ? values : peaks;
        }
        m_left = std::max(peaks[0], peaks[2]);
        m_right = std::max(peaks[1], peaks[3]);
        advanceFrames(2 * steps);
        return static_cast<std::size_t>(4 * steps);
    }

    void advanceFrames(std::uint64_t frames)
    {
        m_frame += frames;
        if (m_frame < m_cursor.nextBinStart())
            return;
        store();
        m_left = 0.0f;
        m_right = 0.0f;
        m_cursor.moveTo(m_frame);
    }

    void store()
    {
        const std::uint64_t bin = m_cursor.bin();
        m_peaks.left[bin] = std::max(m_peaks.left[bin], std::min(m_left, 1.0f));
        m_peaks.right[bin] = std::max(m_peaks.right[bin], std::min(m_right, 1.0f));
    }

    WaveformPeaks& m_peaks;
    std::uint32_t m_channelCount;
    std::uint32_t m_channel = 0;
    std::uint64_t m_frame = 0;
    BinCursor m_cursor;
    float m_left = 0.0f;
    float m_right = 0.0f;
};

} // namespace

std::uint64_t waveformBinCountForDuration(double duration)
{
    const double seconds = duration >= 1.0 ? duration : 1.0;
    return boundedCount(std::ceil(seconds * binsPerSecond), minimumBins, maximumBins);
}

WaveformPeaks waveformPeaksForSource(SampleSource& source, std::uint64_t binCount,
                                     const AnalysisGeneration& generation)
{
    WaveformPeaks peaks;
    if (binCount == 0)
        return peaks;
    peaks.left.assign(binCount, 0.0f);
    peaks.right.assign(binCount, 0.0f);
    SampleReader reader(source, generation);
    if (!reader.open())
        return peaks;
    const std::uint64_t estimatedFrames =
        boundedCount(reader.duration() * reader.format().sampleRate, 1, never);
    PeakAccumulator accumulator(peaks, reader.format().channelCount, estimatedFrames);
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer())
        accumulator.add(buffer);
    accumulator.finish();
    return peaks;
}

WaveformPeaks waveformPeaksForURL(const QUrl& url, std::uint64_t binCount,
                                  const AnalysisGeneration& generation)
{
    Mp3SampleSource source(url);
    return waveformPeaksForSource(source, binCount, generation);
}
