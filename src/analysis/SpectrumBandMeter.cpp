#include "analysis/SpectrumBandMeter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;
// Rows measured together share every load of the folded block.
constexpr std::size_t rowsPerPass = 4;

// Two doubles in one vector register (SSE2, NEON): partial sums that the compiler keeps in
// registers, where a plain running sum would chain every addition to the one before.
using DoublePair = double __attribute__((vector_size(16)));

DoublePair loadPair(const double* values)
{
    DoublePair pair;
    std::memcpy(&pair, values, sizeof pair);
    return pair;
}

struct RowSums
{
    double cosine[rowsPerPass] = {};
    double sine[rowsPerPass] = {};
};

// Dot products of the folded block with `rows` cosine rows and with the matching sine rows,
// over `length` samples. The sign of the sine sum does not matter: only magnitudes are used.
template <std::size_t rows>
RowSums dotProducts(const double* cosineInputs, const double* sineInputs, const double* cosines,
                    const double* sines, std::size_t length)
{
    DoublePair cosineSums[rows] = {};
    DoublePair sineSums[rows] = {};
    std::size_t n = 0;
    for (; n + 2 <= length; n += 2) {
        const DoublePair cosineInput = loadPair(cosineInputs + n);
        const DoublePair sineInput = loadPair(sineInputs + n);
        for (std::size_t row = 0; row < rows; ++row) {
            cosineSums[row] += cosineInput * loadPair(cosines + row * length + n);
            sineSums[row] += sineInput * loadPair(sines + row * length + n);
        }
    }
    RowSums result;
    for (std::size_t row = 0; row < rows; ++row) {
        result.cosine[row] = cosineSums[row][0] + cosineSums[row][1];
        result.sine[row] = sineSums[row][0] + sineSums[row][1];
        if (n < length) {
            result.cosine[row] += cosineInputs[n] * cosines[row * length + n];
            result.sine[row] += sineInputs[n] * sines[row * length + n];
        }
    }
    return result;
}

} // namespace

SpectrumBandMeter::SpectrumBandMeter(std::uint64_t blockLength, std::uint64_t bandCount,
                                     double sampleRate)
    : m_blockLength(blockLength), m_foldedInQuarters(blockLength % 4 == 0),
      m_halfLength(static_cast<std::size_t>((blockLength + 1) / 2)),
      m_rowLength(m_foldedInQuarters ? static_cast<std::size_t>(blockLength / 4 + 1)
                                     : m_halfLength),
      m_bands(spectrumBands(blockLength, bandCount, sampleRate)), m_window(blockLength),
      m_halfSums(m_halfLength), m_halfDifferences(m_halfLength)
{
    const auto length = static_cast<double>(blockLength);
    for (std::uint64_t n = 0; n < blockLength; ++n)
        m_window[n] = 0.5 - 0.5 * std::cos(twoPi * static_cast<double>(n) / (length - 1.0));
    for (std::size_t parity = 0; parity < 2; ++parity) {
        m_cosineInputs[parity].resize(m_rowLength);
        m_sineInputs[parity].resize(m_rowLength);
    }
    makeRows();
}

std::vector<double> SpectrumBandMeter::measure(const float* block)
{
    foldInHalf(block);
    if (m_foldedInQuarters)
        foldInQuarters();
    measureBins();
    std::vector<double> levels(m_bands.size());
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        const std::array<std::size_t, 3>& rows = m_probeRows[i];
        levels[i] = m_bands[i].level(
            (m_magnitudes[rows[0]] + m_magnitudes[rows[1]] + m_magnitudes[rows[2]]) / 3.0);
    }
    return levels;
}

void SpectrumBandMeter::makeRows()
{
    for (const SpectrumBand& band : m_bands)
        m_bins.insert(m_bins.end(), band.probeBins.begin(), band.probeBins.end());
    const auto evenFirst = [](std::uint64_t a, std::uint64_t b) {
        return std::pair(a % 2, a) < std::pair(b % 2, b);
    };
    std::sort(m_bins.begin(), m_bins.end(), evenFirst);
    m_bins.erase(std::unique(m_bins.begin(), m_bins.end()), m_bins.end());
    m_firstOddRow = static_cast<std::size_t>(
        std::find_if(m_bins.begin(), m_bins.end(), [](std::uint64_t bin) { return bin % 2; }) -
        m_bins.begin());

    const auto length = static_cast<double>(m_blockLength);
    m_cosineRows.resize(m_bins.size() * m_rowLength);
    m_sineRows.resize(m_bins.size() * m_rowLength);
    for (std::size_t row = 0; row < m_bins.size(); ++row) {
        const auto bin = static_cast<double>(m_bins[row]);
        for (std::size_t n = 0; n < m_rowLength; ++n) {
            const double angle = twoPi * bin * static_cast<double>(n) / length;
            m_cosineRows[row * m_rowLength + n] = std::cos(angle);
            m_sineRows[row * m_rowLength + n] = std::sin(angle);
        }
    }

    for (const SpectrumBand& band : m_bands) {
        std::array<std::size_t, 3> rows{};
        for (std::size_t p = 0; p < 3; ++p)
            rows[p] = static_cast<std::size_t>(
                std::find(m_bins.begin(), m_bins.end(), band.probeBins[p]) - m_bins.begin());
        m_probeRows.push_back(rows);
    }
    m_magnitudes.resize(m_bins.size());
}

void SpectrumBandMeter::foldInHalf(const float* block)
{
    const auto windowed = [&](std::uint64_t n) {
        return static_cast<double>(block[n]) * m_window[n];
    };
    m_halfSums[0] = windowed(0);
    m_halfDifferences[0] = 0.0;
    for (std::size_t n = 1; n < m_halfLength; ++n) {
        const double first = windowed(n);
        const double second = windowed(m_blockLength - n);
        m_halfSums[n] = first + second;
        m_halfDifferences[n] = first - second;
    }
    // Sample N/2 has no partner; its cosine is 1 for even bins and -1 for odd ones.
    m_middleSample = m_blockLength % 2 == 0 ? windowed(m_blockLength / 2) : 0.0;
    if (m_foldedInQuarters)
        return;
    for (std::size_t parity = 0; parity < 2; ++parity) {
        m_cosineInputs[parity] = m_halfSums;
        m_sineInputs[parity] = m_halfDifferences;
    }
    m_cosineInputs[0][0] += m_middleSample;
    m_cosineInputs[1][0] -= m_middleSample;
}

void SpectrumBandMeter::foldInQuarters()
{
    // Sample n of the half meets N/2 - n; sample 0 meets the middle sample, and sample N/4
    // is its own partner.
    const std::size_t quarter = m_rowLength - 1;
    for (std::size_t n = 1; n < quarter; ++n) {
        const double sum = m_halfSums[n];
        const double partnerSum = m_halfSums[m_halfLength - n];
        const double difference = m_halfDifferences[n];
        const double partnerDifference = m_halfDifferences[m_halfLength - n];
        m_cosineInputs[0][n] = sum + partnerSum;
        m_cosineInputs[1][n] = sum - partnerSum;
        m_sineInputs[0][n] = difference - partnerDifference;
        m_sineInputs[1][n] = difference + partnerDifference;
    }
    for (std::size_t parity = 0; parity < 2; ++parity) {
        m_sineInputs[parity][0] = 0.0;
        m_cosineInputs[parity][quarter] = m_halfSums[quarter];
        m_sineInputs[parity][quarter] = m_halfDifferences[quarter];
    }
    m_cosineInputs[0][0] = m_halfSums[0] + m_middleSample;
    m_cosineInputs[1][0] = m_halfSums[0] - m_middleSample;
}

void SpectrumBandMeter::measureBins()
{
    const auto measureRows = [&](auto rowCount, std::size_t firstRow, std::size_t parity) {
        constexpr std::size_t rows = decltype(rowCount)::value;
        const RowSums sums =
            dotProducts<rows>(m_cosineInputs[parity].data(), m_sineInputs[parity].data(),
                              m_cosineRows.data() + firstRow * m_rowLength,
                              m_sineRows.data() + firstRow * m_rowLength, m_rowLength);
        for (std::size_t row = 0; row < rows; ++row)
            m_magnitudes[firstRow + row] =
                std::sqrt(sums.cosine[row] * sums.cosine[row] + sums.sine[row] * sums.sine[row]) /
                static_cast<double>(m_blockLength);
    };
    const std::size_t ends[] = {m_firstOddRow, m_bins.size()};
    std::size_t row = 0;
    for (std::size_t parity = 0; parity < 2; ++parity) {
        for (; row + rowsPerPass <= ends[parity]; row += rowsPerPass)
            measureRows(std::integral_constant<std::size_t, rowsPerPass>{}, row, parity);
        for (; row < ends[parity]; ++row)
            measureRows(std::integral_constant<std::size_t, 1>{}, row, parity);
    }
}
