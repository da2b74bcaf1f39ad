#pragma once

#include "analysis/SampleSource.h"
#include "signals/Signals.h"

#include <functional>
#include <vector>

// Hands exact PCM to an analysis in buffers of chosen sizes, and records how far it was read.
class PcmSampleSource : public SampleSource
{
public:
    // The stated duration is the signal's own length unless set otherwise.
    explicit PcmSampleSource(const Pcm& pcm);
    PcmSampleSource(std::vector<float> samples, AudioFormat statedFormat, double statedDuration);

    // Buffer sizes in samples, used in turn; the last one repeats.
    void setBufferSizes(std::vector<std::size_t> sizes) { m_bufferSizes = std::move(sizes); }
    void setOpenFails(bool fails) { m_openFails = fails; }
    // Called with the buffer's index just before a buffer is handed out.
    void setBeforeBuffer(std::function<void(std::size_t)> hook)
    {
        m_beforeBuffer = std::move(hook);
    }

    int openCount() const { return m_openCount; }
    std::size_t buffersDelivered() const { return m_buffersDelivered; }
    std::size_t samplesDelivered() const { return m_position; }
    bool isExhausted() const { return m_position == m_samples.size(); }

    bool open() override;
    AudioFormat format() const override { return m_format; }
    double duration() const override { return m_duration; }
    std::span<const float> nextBuffer() override;

private:
    std::vector<float> m_samples;
    AudioFormat m_format;
    double m_duration;
    std::vector<std::size_t> m_bufferSizes{4608};
    bool m_openFails = false;
    std::function<void(std::size_t)> m_beforeBuffer;
    int m_openCount = 0;
    std::size_t m_buffersDelivered = 0;
    std::size_t m_position = 0;
};
