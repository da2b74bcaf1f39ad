#include "analysis/Mp3SampleSource.h"

#include <limits>

Mp3SampleSource::Mp3SampleSource(QUrl url) : m_url(std::move(url)) {}

Mp3SampleSource::~Mp3SampleSource() = default;

bool Mp3SampleSource::open()
{
    if (m_url.isLocalFile())
        m_decoder = Mp3Decoder::open(m_url.toLocalFile(), nullptr, Mp3Decoder::Length::ExactReused);
    return m_decoder != nullptr;
}

AudioFormat Mp3SampleSource::format() const
{
    return m_decoder ? m_decoder->format() : AudioFormat{};
}

double Mp3SampleSource::duration() const
{
    return m_decoder ? m_decoder->duration() : std::numeric_limits<double>::quiet_NaN();
}

std::span<const float> Mp3SampleSource::nextBuffer()
{
    return m_decoder ? m_decoder->nextBuffer() : std::span<const float>{};
}
