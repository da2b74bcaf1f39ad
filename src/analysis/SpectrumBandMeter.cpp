#include "analysis/SpectrumBandMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

struct DotProducts
{
    double withCosine = 0.0;
    double withSine = 0.0;
};

// Four independent partial sums per product: the compiler keeps them in vector registers,
// where one running sum would chain every addition to the one before.
DotProducts dotProducts(const double* values, const double* cosines, const double* sines,
                        std::size_t count)
{
    constexpr std::size_t lanes = 4;
    double cosineSums[lanes] = {};
    double sineSums[lanes] = {};
    std::size_t n = 0;
    for (; n + lanes <= count; n += lanes) {
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            cosineSums[lane] += values[n + lane] * cosines[n + lane];
            sineSums[lane] += values[n + lane] * sines[n + lane];
        }
    }
    DotProducts sums;
    for (; n < count; ++n) {
        sums.withCosine += values[n] * cosines[n];
        sums.withSine += values[n] * sines[n];
    }
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        sums.withCosine += cosineSums[lane];
        sums.withSine += sineSums[lane];
    }
    return sums;
}

} // namespace

SpectrumBandMeter::SpectrumBandMeter(std::uint64_t blockLength, std::uint64_t bandCount,
                                     double sampleRate)
    : m_blockLength(blockLength), m_bands(spectrumBands(blockLength, bandCount, sampleRate)),
      m_window(blockLength), m_windowed(blockLength)
{
    const auto length = static_cast<double>(blockLength);
    for (std::uint64_t n = 0; n < blockLength; ++n)
        m_window[n] = 0.5 - 0.5 * std::cos(twoPi * static_cast<double>(n) / (length - 1.0));

    for (const SpectrumBand& band : m_bands)
        m_bins.insert(m_bins.end(), band.probeBins.begin(), band.probeBins.end());
    std::sort(m_bins.begin(), m_bins.end());
    m_bins.erase(std::unique(m_bins.begin(), m_bins.end()), m_bins.end());

    m_cosineRows.resize(m_bins.size() * blockLength);
    m_sineRows.resize(m_bins.size() * blockLength);
    for (std::size_t row = 0; row < m_bins.size(); ++row) {
        const auto bin = static_cast<double>(m_bins[row]);
        for (std::uint64_t n = 0; n < blockLength; ++n) {
            const double angle = twoPi * bin * static_cast<double>(n) / length;
            m_cosineRows[row * blockLength + n] = std::cos(angle);
            m_sineRows[row * blockLength + n] = std::sin(angle);
        }
    }

    for (const SpectrumBand& band : m_bands) {
        std::array<std::size_t, 3> rows{};
        for (std::size_t p = 0; p < 3; ++p)
            rows[p] = static_cast<std::size_t>(
                std::lower_bound(m_bins.begin(), m_bins.end(), band.probeBins[p]) - m_bins.begin());
        m_probeRows.push_back(rows);
    }
    m_magnitudes.resize(m_bins.size());
}

std::vector<double> SpectrumBandMeter::measure(const float* block)
{
    for (std::uint64_t n = 0; n < m_blockLength; ++n)
        m_windowed[n] = static_cast<double>(block[n]) * m_window[n];
    for (std::size_t row = 0; row < m_bins.size(); ++row)
        m_magnitudes[row] = binMagnitude(row);

    std::vector<double> levels(m_bands.size());
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        const std::array<std::size_t, 3>& rows = m_probeRows[i];
        const double average =
            (m_magnitudes[rows[0]] + m_magnitudes[rows[1]] + m_magnitudes[rows[2]]) / 3.0;
        const double weighted =
            88.0 * average * static_cast<double>(m_bands[i].bassWeight) * m_bands[i].trebleTilt;
        levels[i] = std::clamp(std::log10(1.0 + weighted), 0.0, 1.0);
    }
    return levels;
}

double SpectrumBandMeter::binMagnitude(std::size_t row) const
{
    const std::size_t offset = row * m_blockLength;
    const DotProducts sums = dotProducts(m_windowed.data(), m_cosineRows.data() + offset,
                                         m_sineRows.data() + offset, m_blockLength);
    // The imaginary part is the negated sine sum; its sign does not change the magnitude.
    return std::sqrt(sums.withCosine * sums.withCosine + sums.withSine * sums.withSine) /
           static_cast<double>(m_blockLength);
}
