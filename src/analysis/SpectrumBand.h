#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One band of the spectrum analyzer and how it is measured on a block of samples.
struct SpectrumBand
{
    float lower = 0.0f;  // Hz
    float upper = 0.0f;  // Hz
    float centre = 0.0f; // Hz, the geometric mean of the edges
    // The DFT bins probed near the lower edge, at the centre and near the upper edge.
    std::array<std::uint64_t, 3> probeBins{};
    // Bass attenuation: centres up to 120 Hz weigh 0.28, rising linearly to 1 at 260 Hz.
    float bassWeight = 1.0f;
    // Treble tilt: 1 for the lowest band up to 1.42 for the highest.
    double trebleTilt = 1.0;

    // The level 0 … 1 of the average magnitude of the probed bins, weighted and mapped
    // logarithmically.
    double level(double averageMagnitude) const;
};

// `bandCount` bands spaced logarithmically from 70 Hz to min(16000 Hz, half the rate), for a
// block of `blockLength` samples (at least 2) at `sampleRate` (positive, within the float
// range). The single-precision steps are part of the result: they decide the probe bins.
std::vector<SpectrumBand> spectrumBands(std::uint64_t blockLength, std::uint64_t bandCount,
                                        double sampleRate);
