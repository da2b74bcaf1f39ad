#pragma once

#include "analysis/SpectrumBand.h"

#include <array>
#include <cstdint>
#include <vector>

// Measures the band levels of blocks of one length. The Hann window and the cosine and sine
// rows of every probed bin are computed once, so that a block costs one dense pair of dot
// products per distinct bin instead of 48 × N window-and-rotation evaluations.
class SpectrumBandMeter
{
public:
    // `blockLength` at least 2 and `sampleRate` positive.
    SpectrumBandMeter(std::uint64_t blockLength, std::uint64_t bandCount, double sampleRate);

    std::uint64_t blockLength() const { return m_blockLength; }
    const std::vector<SpectrumBand>& bands() const { return m_bands; }

    // Levels 0 … 1 of the `blockLength()` samples at `block`, lowest band first.
    std::vector<double> measure(const float* block);

private:
    double binMagnitude(std::size_t row) const;

    std::uint64_t m_blockLength;
    std::vector<SpectrumBand> m_bands;
    std::vector<double> m_window;
    // Row r belongs to bin m_bins[r]; a bin probed by several bands has one row.
    std::vector<std::uint64_t> m_bins;
    std::vector<double> m_cosineRows;
    std::vector<double> m_sineRows;
    std::vector<std::array<std::size_t, 3>> m_probeRows;
    std::vector<double> m_windowed;
    std::vector<double> m_magnitudes;
};
