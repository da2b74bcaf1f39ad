#include "analysis/SpectrumFrames.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

namespace {

const SpectrumLevels zeros(16, 0.0f);

SpectrumFrames framesOf(PcmSampleSource&& source, double frameDuration = 0.05)
{
    return spectrumFramesForSource(source, frameDuration, 16, currentGeneration());
}

// The band measure of the n samples at `block` evaluated term by term as written, window and
// rotations recomputed for every probe: slow, and the reference for the fast meter.
void expectDirectLevels(const SpectrumLevels& levels, const float* block, std::uint64_t n,
                        std::uint64_t bands, double sampleRate)
{
    const double pi2 = 2.0 * std::numbers::pi;
    const float fmax = std::min(16000.0f, static_cast<float>(0.5 * sampleRate));
    const auto edge = [&](std::uint64_t i) {
        return 70.0f * std::pow(fmax / 70.0f, static_cast<float>(i) / static_cast<float>(bands));
    };
    ASSERT_EQ(levels.size(), bands);
    for (std::uint64_t i = 0; i < bands; ++i) {
        const float lo = edge(i);
        const float hi = edge(i + 1);
        const float c = std::sqrt(lo * hi);
        double sum = 0.0;
        for (const float p : {0.72f * lo + 0.28f * c, c, 0.72f * hi + 0.28f * c}) {
            const float f = std::min(fmax, std::max(p, 70.0f));
            float k = std::round(f * static_cast<float>(n) / static_cast<float>(sampleRate));
            k = std::max(std::min(k, static_cast<float>(n / 2)), 1.0f);
            std::complex<double> bin = 0.0;
            for (std::uint64_t j = 0; j < n; ++j) {
                const double w = 0.5 - 0.5 * std::cos(pi2 * j / (n - 1.0));
                bin += block[j] * w * std::polar(1.0, -pi2 * k * j / n);
            }
            sum += std::abs(bin) / n;
        }
        const double g =
            c < 260.0f ? 0.28f + 0.72f * std::clamp((c - 120.0f) / 140.0f, 0.0f, 1.0f) : 1.0f;
        const double t = 1.0 + 0.41999998688697815 * i / std::max<std::uint64_t>(1, bands - 1);
        EXPECT_NEAR(levels[i], std::clamp(std::log10(1.0 + 88.0 * (sum / 3.0) * g * t), 0.0, 1.0),
                    1e-6)
            << "band " << i << " of " << bands;
    }
}

TEST(SpectrumLevels, EqualADirectEvaluationOfTheBandMeasureOnTheMiddleOfTheBlock)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> amplitude(0.01f, 1.0f);
    for (const int rate : {8000, 22050, 44100, 48000, 96000}) {
        for (const std::uint64_t count : {32u, 33u, 66u, 100u, 1022u, 1023u, 1024u, 2205u, 4410u}) {
            for (const std::uint64_t bands : {16u, 1u, 5u, 40u}) {
                SCOPED_TRACE(::testing::Message() << rate << " Hz, " << count << " samples");
                const Pcm noise = whiteNoise(amplitude(random), rate, 1, count, random());
                const std::uint64_t n = std::min<std::uint64_t>(count, 1024);
                expectDirectLevels(
                    spectrumLevelsForSamples(noise.samples.data(), count, bands, rate),
                    noise.samples.data() + (count - n) / 2, n, bands, rate);
            }
        }
    }
}

TEST(SpectrumLevels, AreZerosForFewerThan32SamplesNoSamplesOrARateThatIsNoFloat)
{
    const Pcm sine = sineWave(6000, 1.0, 44100, 1, 32);
    EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 31, 16, 44100), zeros);
    EXPECT_EQ(spectrumLevelsForSamples(nullptr, 32, 16, 44100), zeros);
    // The bands are computed from the rate in single precision.
    for (const double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL, 1e300, 1e-300})
        EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 32, 16, rate), zeros) << rate;
}

TEST(SpectrumFrames, EachMeasuresTheMiddleOfItsBlockAndTheirLengthAndCountKeepTheirLimits)
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
