#pragma once

#include "analysis/SpectrumBand.h"

#include <array>
#include <cstdint>
#include <vector>

// Measures the band levels of blocks of one length. The Hann window and the cosine and sine
// rows of every probed bin are computed once, so that a block costs a few dense dot products
// instead of 48 × N window-and-rotation evaluations.
//
// The rows are short because of their symmetries. Samples n and N - n meet the same cosine and
// opposite sines, so the block is folded in half first. When N is a multiple of 4, samples n
// and N/2 - n meet cosines and sines that are equal or opposite depending on whether the bin
// is even or odd, so the half is folded again, once for even and once for odd bins.
class SpectrumBandMeter
{
public:
    // `blockLength` at least 2 and `sampleRate` positive, within the float range.
    SpectrumBandMeter(std::uint64_t blockLength, std::uint64_t bandCount, double sampleRate);

    std::uint64_t blockLength() const { return m_blockLength; }
    const std::vector<SpectrumBand>& bands() const { return m_bands; }

    // Levels 0 … 1 of the `blockLength()` samples at `block`, lowest band first.
    std::vector<double> measure(const float* block);

private:
    void makeRows();
    void foldInHalf(const float* block);
    void foldInQuarters();
    void measureBins();

    std::uint64_t m_blockLength;
    bool m_foldedInQuarters;
    // Samples 0 … m_halfLength - 1 of the block after folding it in half.
    std::size_t m_halfLength;
    std::size_t m_rowLength;
    std::vector<SpectrumBand> m_bands;
    std::vector<double> m_window;
    // Row r belongs to bin m_bins[r]: even bins first, then odd ones; a bin probed by several
    // bands has one row.
    std::vector<std::uint64_t> m_bins;
    std::size_t m_firstOddRow = 0;
    std::vector<double> m_cosineRows;
    std::vector<double> m_sineRows;
    std::vector<std::array<std::size_t, 3>> m_probeRows;
    std::vector<double> m_halfSums;
    std::vector<double> m_halfDifferences;
    double m_middleSample = 0.0;
    // The folded block for even [0] and odd [1] bins: what the cosine and sine rows multiply.
    std::array<std::vector<double>, 2> m_cosineInputs;
    std::array<std::vector<double>, 2> m_sineInputs;
    std::vector<double> m_magnitudes;
};
