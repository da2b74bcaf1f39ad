#pragma once

#include "analysis/AnalysisGeneration.h"
#include "analysis/SampleSource.h"
#include "signals/Signals.h"

#include <algorithm>
#include <vector>

// Hands exact PCM to an analysis in buffers of chosen sizes, and records how far it was read.
struct PcmSampleSource final : SampleSource
{
    explicit PcmSampleSource(const Pcm& pcm)
        : PcmSampleSource(pcm.samples, {pcm.sampleRate, pcm.channels},
                          static_cast<double>(pcm.frameCount()) / pcm.sampleRate)
    {}
    PcmSampleSource(std::vector<float> samples, AudioFormat format, double duration)
        : samples(std::move(samples)), statedFormat(format), statedDuration(duration)
    {}

    bool open() override { return ++openCount > 0; }
    AudioFormat format() const override { return statedFormat; }
    double duration() const override { return statedDuration; }
    std::span<const float> nextBuffer() override
    {
        const std::size_t index = buffersDelivered++;
        if (supersedingCounter && index == supersededAtBuffer)
            ++*supersedingCounter;
        const std::size_t size = std::min(bufferSizes[std::min(index, bufferSizes.size() - 1)],
                                          samples.size() - position);
        position += size;
        return {samples.data() + position - size, size};
    }

    std::vector<float> samples;
    AudioFormat statedFormat;
    double statedDuration;
    std::size_t position = 0;
    // Buffer sizes in samples, used in turn; the last one repeats.
    std::vector<std::size_t> bufferSizes{4608};
    // Moved on just before buffer `supersededAtBuffer` is handed out, as by a new load.
    std::shared_ptr<AnalysisGeneration::Counter> supersedingCounter;
    std::size_t supersededAtBuffer = 0;
    int openCount = 0;
    std::size_t buffersDelivered = 0;
};

inline AnalysisGeneration currentGeneration()
{
    return AnalysisGeneration(std::make_shared<AnalysisGeneration::Counter>(1));
}
