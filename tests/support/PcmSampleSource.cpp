#include "support/PcmSampleSource.h"

#include <algorithm>

PcmSampleSource::PcmSampleSource(const Pcm& pcm)
    : PcmSampleSource(pcm.samples, AudioFormat{pcm.sampleRate, pcm.channels},
                      static_cast<double>(pcm.frameCount()) / pcm.sampleRate)
{}

PcmSampleSource::PcmSampleSource(std::vector<float> samples, AudioFormat statedFormat,
                                 double statedDuration)
    : m_samples(std::move(samples)), m_format(statedFormat), m_duration(statedDuration)
{}

bool PcmSampleSource::open()
{
    ++m_openCount;
    return !m_openFails;
}

std::span<const float> PcmSampleSource::nextBuffer()
{
    if (m_position == m_samples.size())
        return {};
    const std::size_t index = m_buffersDelivered++;
    if (m_beforeBuffer)
        m_beforeBuffer(index);
    const std::size_t size = std::min(m_bufferSizes[std::min(index, m_bufferSizes.size() - 1)],
                                      m_samples.size() - m_position);
    const std::span<const float> buffer(m_samples.data() + m_position, size);
    m_position += size;
    return buffer;
}
