#include "analysis/WaveformPeaks.h"

#include "analysis/BoundedCount.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SampleReader.h"

#include <algorithm>
#include <cmath>
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

    void advanceFrame()
    {
        if (++m_frame >= m_nextBinStart)
            moveTo(m_frame);
    }

private:
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

    std::uint64_t m_binCount;
    std::uint64_t m_estimatedFrames;
    std::uint64_t m_frame = 0;
    std::uint64_t m_bin = 0;
    std::uint64_t m_nextBinStart = 0;
};

void raise(float& peak, float value)
{
    if (value > peak)
        peak = value;
}

class PeakAccumulator
{
public:
    PeakAccumulator(WaveformPeaks& peaks, int channelCount, std::uint64_t estimatedFrames)
        : m_peaks(peaks), m_channelCount(static_cast<std::uint32_t>(channelCount)),
          m_cursor(peaks.left.size(), estimatedFrames)
    {}

    void add(std::span<const float> samples)
    {
        for (float sample : samples) {
            const float value = std::min(std::fabs(sample), 1.0f);
            const std::uint64_t bin = m_cursor.bin();
            if (m_channelCount == 1) {
                raise(m_peaks.left[bin], value);
                raise(m_peaks.right[bin], value);
            } else if (m_channel == 0) {
                raise(m_peaks.left[bin], value);
            } else if (m_channel == 1) {
                raise(m_peaks.right[bin], value);
            }
            if (++m_channel == m_channelCount) {
                m_channel = 0;
                m_cursor.advanceFrame();
            }
        }
    }

private:
    WaveformPeaks& m_peaks;
    std::uint32_t m_channelCount;
    std::uint32_t m_channel = 0;
    BinCursor m_cursor;
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
    return peaks;
}

WaveformPeaks waveformPeaksForURL(const QUrl& url, std::uint64_t binCount,
                                  const AnalysisGeneration& generation)
{
    Mp3SampleSource source(url);
    return waveformPeaksForSource(source, binCount, generation);
}
