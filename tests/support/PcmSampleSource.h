#pragma once

#include "analysis/AnalysisGeneration.h"
#include "analysis/SampleSource.h"
#include "signals/Signals.h"

#include <algorithm>
#include <vector>

// Hands exact PCM to an analysis in buffers of chosen sizes, and records how far it was read.
class PcmSampleSource final : public SampleSource
{
public:
    // The stated duration is the signal's own length unless given.
    explicit PcmSampleSource(const Pcm& pcm)
        : PcmSampleSource(pcm.samples, {pcm.sampleRate, pcm.channels},
                          static_cast<double>(pcm.frameCount()) / pcm.sampleRate)
    {}
    PcmSampleSource(std::vector<float> samples, AudioFormat statedFormat, double statedDuration)
        : m_samples(std::move(samples)), m_format(statedFormat), m_duration(statedDuration)
    {}

    bool open() override { return ++openCount > 0; }
    AudioFormat format() const override { return m_format; }
    double duration() const override { return m_duration; }
    std::span<const float> nextBuffer() override
    {
        if (isExhausted())
            return {};
        const std::size_t index = buffersDelivered++;
        if (supersedingCounter && index == supersededAtBuffer)
            ++*supersedingCounter;
        const std::size_t size = std::min(bufferSizes[std::min(index, bufferSizes.size() - 1)],
                                          m_samples.size() - m_position);
        m_position += size;
        return {m_samples.data() + m_position - size, size};
    }
    bool isExhausted() const { return m_position == m_samples.size(); }

    // Buffer sizes in samples, used in turn; the last one repeats.
    std::vector<std::size_t> bufferSizes{4608};
    // Moved on just before buffer `supersededAtBuffer` is handed out, as by a new load.
    std::shared_ptr<AnalysisGeneration::Counter> supersedingCounter;
    std::size_t supersededAtBuffer = 0;
    int openCount = 0;
    std::size_t buffersDelivered = 0;

private:
    std::vector<float> m_samples;
    AudioFormat m_format;
    double m_duration;
    std::size_t m_position = 0;
};

inline AnalysisGeneration currentGeneration()
{
    return AnalysisGeneration(std::make_shared<AnalysisGeneration::Counter>(1));
}
