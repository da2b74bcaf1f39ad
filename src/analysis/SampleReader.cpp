#include "analysis/SampleReader.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

bool allFinite(std::span<const float> samples)
{
    // Infinities and NaNs are the floats whose exponent bits are all set. Counting them with
    // integer operations lets the compiler vectorise the scan of every buffer.
    constexpr std::uint32_t exponentBits = 0x7f800000;
    std::uint32_t nonFinite = 0;
    for (float sample : samples)
        nonFinite += (std::bit_cast<std::uint32_t>(sample) & exponentBits) == exponentBits;
    return nonFinite == 0;
}

} // namespace

SampleReader::SampleReader(SampleSource& source, AnalysisGeneration generation)
    : m_source(source), m_generation(std::move(generation))
{}

bool SampleReader::open()
{
    if (!isCurrent() || !m_source.open())
        return false;
    const AudioFormat stated = m_source.format();
    if (stated.sampleRate > 0)
        m_format.sampleRate = stated.sampleRate;
    if (stated.channelCount > 0)
        m_format.channelCount = stated.channelCount;
    return true;
}

std::span<const float> SampleReader::nextBuffer()
{
    // Checked before decoding, so that no work is spent on a stale track, and after it,
    // so that no sample is consumed once the change is seen.
    if (!isCurrent())
        return {};
    const std::span<const float> buffer = m_source.nextBuffer();
    if (buffer.empty() || !isCurrent())
        return {};
    if (allFinite(buffer))
        return buffer;
    m_finiteCopy.assign(buffer.begin(), buffer.end());
    std::replace_if(
        m_finiteCopy.begin(), m_finiteCopy.end(),
        [](float sample) { return !std::isfinite(sample); }, 0.0f);
    return m_finiteCopy;
}

bool SampleReader::isCurrent()
{
    m_superseded = m_superseded || !m_generation.isCurrent();
    return !m_superseded;
}
