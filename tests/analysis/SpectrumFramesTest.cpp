#include "analysis/SpectrumFrames.h"

#include "analysis/SpectrumBand.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <complex>
#include <numbers>

#include <gtest/gtest.h>

namespace {

const SpectrumLevels zeros(16, 0.0f);

SpectrumFrames framesOf(PcmSampleSource&& source, double frameDuration = 0.05)
{
    return spectrumFramesForSource(source, frameDuration, 16, currentGeneration());
}

// The band measure of the n samples at `block`, each probed bin's windowed DFT sum evaluated
// term by term as written, window and rotations recomputed for every probe: slow, and the
// reference for the folded rows of the fast meter.
void expectDirectLevels(const SpectrumLevels& levels, const float* block, std::uint64_t n,
                        std::uint64_t bands, double sampleRate)
{
    const double pi2 = 2.0 * std::numbers::pi;
    const std::vector<SpectrumBand> layout = spectrumBands(n, bands, sampleRate);
    ASSERT_EQ(levels.size(), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
        double sum = 0.0;
        for (const std::uint64_t k : layout[i].probeBins) {
            std::complex<double> bin = 0.0;
            for (std::uint64_t j = 0; j < n; ++j) {
                const double w = 0.5 - 0.5 * std::cos(pi2 * j / (n - 1.0));
                bin += block[j] * w * std::polar(1.0, -pi2 * k * j / n);
            }
            sum += std::abs(bin) / n;
        }
        EXPECT_NEAR(levels[i], layout[i].level(sum / 3.0), 1e-6) << "band " << i << " of " << bands;
    }
}

TEST(SpectrumFramesTest, ASineLightsTheBandOfItsFrequencyMost)
{
    const std::vector<SpectrumBand> layout = spectrumBands(1024, 16, 44100);
    for (const SpectrumBand& band : layout) {
        if (band.lower < 500.0f)
            continue; // below, neighbouring bands share bins of a 1024-sample block
        const Pcm sine = sineWave(band.centre, 0.3, 44100, 1, 1024);
        const SpectrumLevels levels =
            spectrumLevelsForSamples(sine.samples.data(), 1024, 16, 44100);
        EXPECT_EQ(&band - layout.data(),
                  std::max_element(levels.begin(), levels.end()) - levels.begin())
            << band.centre << " Hz";
    }
}

TEST(SpectrumFramesTest, AreZerosForFewerThan32SamplesNoSamplesOrARateThatIsNoFloat)
{
    const Pcm sine = sineWave(6000, 1.0, 44100, 1, 32);
    EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 31, 16, 44100), zeros);
    EXPECT_EQ(spectrumLevelsForSamples(nullptr, 32, 16, 44100), zeros);
    // The bands are computed from the rate in single precision.
    for (const double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL, 1e300, 1e-300})
        EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 32, 16, rate), zeros) << rate;
}

TEST(SpectrumFramesTest, EachMeasuresTheMiddleOfItsBlockAndTheirLengthAndCountKeepTheirLimits)
{
    // A 600 s track at 44100 Hz: 0.1 s frames of 4410 samples, each measured on samples
    // 1693 … 2716 of its block. The last block has 31 samples, too few to measure.
    const Pcm noise = whiteNoise(1.0, 44100, 1, 3 * 4410 + 31, 17);
    const SpectrumFrames frames = framesOf(PcmSampleSource(noise.samples, {44100, 1}, 600.0), 0.1);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t block = 0; block < 3; ++block)
        expectDirectLevels(frames[block], noise.samples.data() + block * 4410 + 1693, 1024, 16,
                           44100);
    EXPECT_EQ(frames[3], zeros);
    // Frames of 256 samples at least, no more than the stated length holds (an unknown one
    // counts as 0.1 s), one block of the whole track for an absurd frame: nothing is allocated
    // for the claim. 1.5 s at 8000 Hz; the stated length, the frame duration, the frames.
    const Pcm tone = sineWave(1000, 0.9, 8000, 1, 12000);
    const std::array<double, 3> cases[] = {{1.5, 0.01, 47},
                                           {1.0, 0.05, 20},
                                           {std::nan(""), 0.05, 2},
                                           {1.5, 1e15, 1},
                                           {1.5, HUGE_VAL, 1}};
    for (const auto& [stated, frameDuration, count] : cases)
        EXPECT_EQ(framesOf(PcmSampleSource(tone.samples, {8000, 1}, stated), frameDuration).size(),
                  static_cast<std::size_t>(count))
            << stated << " s, frames of " << frameDuration << " s";
}

} // namespace
