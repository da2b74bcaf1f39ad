#include "analysis/SpectrumBand.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float lowestHertz = 70.0f;
constexpr float highestHertz = 16000.0f;

std::uint64_t probeBin(float probeHertz, float topHertz, std::uint64_t blockLength, float rate)
{
    const float hertz = std::min(topHertz, std::max(probeHertz, lowestHertz));
    float bin = std::round(hertz * static_cast<float>(blockLength) / rate);
    bin = std::min(bin, static_cast<float>(blockLength / 2));
    // NaN, from a rate that is no rate, ends at the lowest bin too.
    bin = bin >= 1.0f ? bin : 1.0f;
    return static_cast<std::uint64_t>(bin);
}

float bassWeight(float centre)
{
    if (centre >= 260.0f)
        return 1.0f;
    return 0.28f + 0.72f * std::clamp((centre - 120.0f) / 140.0f, 0.0f, 1.0f);
}

double trebleTilt(std::uint64_t band, std::uint64_t bandCount)
{
    // 0.42 in single precision, like the band table's other weights, widened: the top band's
    // lift is the one a float 0.42 gives, 1.41999998688697815.
    const double tilt = static_cast<double>(0.42f);
    return 1.0 + tilt * static_cast<double>(band) /
                     static_cast<double>(std::max<std::uint64_t>(1, bandCount - 1));
}

} // namespace

std::vector<SpectrumBand> spectrumBands(std::uint64_t blockLength, std::uint64_t bandCount,
                                        double sampleRate)
{
    const auto rate = static_cast<float>(sampleRate);
    const float topHertz = std::min(highestHertz, static_cast<float>(0.5 * sampleRate));
    const float ratio = topHertz / lowestHertz;
    const auto bands = static_cast<float>(bandCount);
    std::vector<SpectrumBand> result(bandCount);
    for (std::uint64_t i = 0; i < bandCount; ++i) {
        SpectrumBand& band = result[i];
        band.lower = lowestHertz * std::pow(ratio, static_cast<float>(i) / bands);
        band.upper = lowestHertz * std::pow(ratio, static_cast<float>(i + 1) / bands);
        band.centre = std::sqrt(band.lower * band.upper);
        const float probes[] = {0.72f * band.lower + 0.28f * band.centre, band.centre,
                                0.72f * band.upper + 0.28f * band.centre};
        for (std::size_t p = 0; p < 3; ++p)
            band.probeBins[p] = probeBin(probes[p], topHertz, blockLength, rate);
        band.bassWeight = bassWeight(band.centre);
        band.trebleTilt = trebleTilt(i, bandCount);
    }
    return result;
}

double SpectrumBand::level(double averageMagnitude) const
{
    const double weighted = 88.0 * averageMagnitude * static_cast<double>(bassWeight) * trebleTilt;
    return std::clamp(std::log10(1.0 + weighted), 0.0, 1.0);
}
