#include "analysis/SpectrumBandMeter.h"
#include "analysis/SpectrumFrames.h"
#include "signals/Signals.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

namespace {

// The band measure evaluated term by term as written, window and rotations recomputed for
// every probe: slow, and the reference for the fast meter.
std::vector<double> directLevels(const float* samples, std::uint64_t count, std::uint64_t bands,
                                 double sampleRate)
{
    const std::uint64_t n = std::min<std::uint64_t>(count, 1024);
    const float* block = samples + (count - n) / 2;
    const float fmax = std::min(16000.0f, static_cast<float>(0.5 * sampleRate));
    const float q = fmax / 70.0f;
    std::vector<double> levels;
    for (std::uint64_t i = 0; i < bands; ++i) {
        const float lo = 70.0f * std::pow(q, static_cast<float>(i) / static_cast<float>(bands));
        const float hi = 70.0f * std::pow(q, static_cast<float>(i + 1) / static_cast<float>(bands));
        const float c = std::sqrt(lo * hi);
        double sum = 0.0;
        for (const float p : {0.72f * lo + 0.28f * c, c, 0.72f * hi + 0.28f * c}) {
            const float f = std::min(fmax, std::max(p, 70.0f));
            float k = std::round(f * static_cast<float>(n) / static_cast<float>(sampleRate));
            k = std::max(std::min(k, static_cast<float>(n / 2)), 1.0f);
            double re = 0.0;
            double im = 0.0;
            for (std::uint64_t j = 0; j < n; ++j) {
                const double pi2 = 2.0 * std::numbers::pi;
                const double w =
                    0.5 - 0.5 * std::cos(pi2 * static_cast<double>(j) / static_cast<double>(n - 1));
                const double angle =
                    pi2 * static_cast<double>(k) * static_cast<double>(j) / static_cast<double>(n);
                re += static_cast<double>(block[j]) * w * std::cos(angle);
                im -= static_cast<double>(block[j]) * w * std::sin(angle);
            }
            sum += std::sqrt(re * re + im * im) / static_cast<double>(n);
        }
        const double a = sum / 3.0;
        const double g =
            c < 260.0f ? 0.28f + 0.72f * std::clamp((c - 120.0f) / 140.0f, 0.0f, 1.0f) : 1.0f;
        const double t = 1.0 + 0.41999998688697815 * static_cast<double>(i) /
                                   static_cast<double>(std::max<std::uint64_t>(1, bands - 1));
        levels.push_back(std::clamp(std::log10(1.0 + 88.0 * a * g * t), 0.0, 1.0));
    }
    return levels;
}

TEST(SpectrumLevels, EqualADirectEvaluationOfTheBandMeasure)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> amplitude(0.01f, 1.0f);
    for (const double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0}) {
        for (const std::uint64_t count : {32u, 33u, 66u, 100u, 1022u, 1023u, 1024u, 2205u, 4410u}) {
            for (const std::uint64_t bands : {16u, 1u, 5u, 40u}) {
                const Pcm noise = whiteNoise(amplitude(random), static_cast<int>(rate), 1,
                                             static_cast<std::int64_t>(count),
                                             static_cast<std::uint32_t>(random()));
                const std::uint64_t n = std::min<std::uint64_t>(count, 1024);
                SpectrumBandMeter meter(n, bands, rate);
                const std::vector<double> measured =
                    meter.measure(noise.samples.data() + (count - n) / 2);
                const std::vector<double> expected =
                    directLevels(noise.samples.data(), count, bands, rate);
                ASSERT_EQ(measured.size(), expected.size());
                for (std::size_t i = 0; i < expected.size(); ++i)
                    EXPECT_NEAR(measured[i], expected[i], 1e-9)
                        << rate << " Hz, " << count << " samples, band " << i << " of " << bands;
                const SpectrumLevels levels =
                    spectrumLevelsForSamples(noise.samples.data(), count, bands, rate);
                EXPECT_EQ(levels, SpectrumLevels(measured.begin(), measured.end()));
            }
        }
    }
}

struct SineCase
{
    double hertz;
    std::vector<float> levels;
};

void PrintTo(const SineCase& c, std::ostream* out)
{
    *out << c.hertz << " Hz";
}

class FullScaleSine : public ::testing::TestWithParam<SineCase>
{};

TEST_P(FullScaleSine, ReadsTheWorkedLevels)
{
    const Pcm sine = sineWave(GetParam().hertz, 1.0, 44100, 1, 2205);
    const SpectrumLevels levels = spectrumLevelsForSamples(sine.samples.data(), 2205, 16, 44100);
    ASSERT_EQ(levels.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(levels[i], GetParam().levels[i], 0.0005) << "band " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Tones, FullScaleSine,
    ::testing::Values(
        // Exactly bin 29 of the 1024-sample block.
        SineCase{1248.93, {0, 0, 0, 0, 0, 0, 0, 0, 0.999f, 0, 0, 0, 0, 0, 0, 0}},
        SineCase{1000.0, {0, 0, 0, 0, 0, 0.001f, 0.005f, 0.987f, 0.046f, 0.001f, 0, 0, 0, 0, 0, 0}},
        SineCase{100.0,
                 {0.831f, 0.784f, 0.660f, 0.105f, 0.028f, 0.007f, 0.002f, 0.001f, 0, 0, 0, 0, 0, 0,
                  0, 0}}));

struct BandRow
{
    std::size_t band;
    float lower;
    float upper;
    float centre;
    std::array<std::uint64_t, 3> bins;
    float bassWeight;
    double tilt;
};

TEST(SpectrumBands, MatchTheTableFor44100HzAnd1024Samples)
{
    const std::vector<SpectrumBand> bands = spectrumBands(1024, 16, 44100);
    ASSERT_EQ(bands.size(), 16u);
    const BandRow rows[] = {
        {0, 70.0f, 98.3f, 83.0f, {2, 2, 2}, 0.28f, 1.000},
        {1, 98.3f, 138.0f, 116.5f, {2, 3, 3}, 0.28f, 1.028},
        {2, 138.0f, 193.8f, 163.6f, {3, 4, 4}, 0.504f, 1.056},
        {3, 193.8f, 272.2f, 229.7f, {5, 5, 6}, 0.844f, 1.084},
        {4, 272.2f, 382.2f, 322.5f, {7, 7, 8}, 1.0f, 1.112},
        {8, 1058.3f, 1486.1f, 1254.1f, {26, 29, 33}, 1.0f, 1.224},
        {15, 11394.1f, 16000.0f, 13502.1f, {278, 314, 355}, 1.0f, 1.420},
    };
    for (const BandRow& row : rows) {
        const SpectrumBand& band = bands[row.band];
        EXPECT_NEAR(band.lower, row.lower, 0.05f) << "band " << row.band;
        EXPECT_NEAR(band.upper, row.upper, 0.05f) << "band " << row.band;
        EXPECT_NEAR(band.centre, row.centre, 0.05f) << "band " << row.band;
        EXPECT_EQ(band.probeBins, row.bins) << "band " << row.band;
        EXPECT_NEAR(band.bassWeight, row.bassWeight, 0.0005f) << "band " << row.band;
        EXPECT_NEAR(band.trebleTilt, row.tilt, 0.0005) << "band " << row.band;
    }
    EXPECT_EQ(bands.back().trebleTilt, 1.0 + 0.41999998688697815);
}

TEST(SpectrumBands, At22050HzEndAtHalfTheRate)
{
    const std::vector<SpectrumBand> bands = spectrumBands(1024, 16, 22050);
    EXPECT_FLOAT_EQ(bands.front().lower, 70.0f);
    EXPECT_FLOAT_EQ(bands.back().upper, 11025.0f);
    for (const SpectrumBand& band : bands)
        EXPECT_LE(band.probeBins[2], 512u);
}

TEST(SpectrumBands, OfAThirtyTwoSampleBlockStopAtBinSixteen)
{
    const std::vector<SpectrumBand> bands = spectrumBands(32, 16, 44100);
    EXPECT_EQ(bands.front().probeBins, (std::array<std::uint64_t, 3>{1, 1, 1}));
    EXPECT_EQ(bands.back().probeBins, (std::array<std::uint64_t, 3>{9, 10, 11}));
    for (const double rate : {8000.0, 22050.0, 32000.0, 96000.0}) {
        for (const SpectrumBand& band : spectrumBands(32, 16, rate))
            EXPECT_LE(band.probeBins[2], 16u) << rate << " Hz";
    }
}

TEST(SpectrumLevels, ThirtyOneSamplesGiveZerosAndThirtyTwoAreMeasured)
{
    const Pcm sine = sineWave(6000, 1.0, 44100, 1, 32);
    EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 31, 16, 44100),
              SpectrumLevels(16, 0.0f));
    const SpectrumLevels levels = spectrumLevelsForSamples(sine.samples.data(), 32, 16, 44100);
    ASSERT_EQ(levels.size(), 16u);
    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), 0.5f);
}

TEST(SpectrumLevels, SilenceIsExactlyZero)
{
    const std::vector<float> quiet(2205, 0.0f);
    EXPECT_EQ(spectrumLevelsForSamples(quiet.data(), quiet.size(), 16, 44100),
              SpectrumLevels(16, 0.0f));
}

struct UnmeasurableCase
{
    const char* name;
    bool samples;
    std::uint64_t bands;
    double rate;
    std::size_t expectedBands;
};

class UnmeasurableBlock : public ::testing::TestWithParam<UnmeasurableCase>
{};

TEST_P(UnmeasurableBlock, GivesZeros)
{
    const UnmeasurableCase c = GetParam();
    const Pcm sine = sineWave(1000, 1.0, 44100, 1, 2205);
    EXPECT_EQ(
        spectrumLevelsForSamples(c.samples ? sine.samples.data() : nullptr, 2205, c.bands, c.rate),
        SpectrumLevels(c.expectedBands, 0.0f));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, UnmeasurableBlock,
    ::testing::Values(
        UnmeasurableCase{"NoSamples", false, 16, 44100, 16},
        UnmeasurableCase{"NoBands", true, 0, 44100, 0},
        UnmeasurableCase{"ZeroRate", true, 16, 0.0, 16},
        UnmeasurableCase{"NegativeRate", true, 16, -44100.0, 16},
        UnmeasurableCase{"RateNaN", true, 16, std::numeric_limits<double>::quiet_NaN(), 16},
        UnmeasurableCase{"InfiniteRate", true, 16, std::numeric_limits<double>::infinity(), 16},
        UnmeasurableCase{"RateBeyondFloat", true, 16, 1e300, 16},
        UnmeasurableCase{"RateBelowFloat", true, 16, 1e-300, 16}),
    [](const ::testing::TestParamInfo<UnmeasurableCase>& info) {
        return std::string(info.param.name);
    });

TEST(SpectrumLevels, EmptyLevelsAreSixteenZeros)
{
    EXPECT_EQ(emptySpectrumLevels(), SpectrumLevels(16, 0.0f));
}

} // namespace
