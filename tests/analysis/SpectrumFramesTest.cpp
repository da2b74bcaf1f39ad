#include "analysis/SpectrumFrames.h"
#include "analysis/SpectrumBandMeter.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
const SpectrumLevels zeros(16, 0.0f);

SpectrumFrames framesOf(PcmSampleSource&& source, double frameDuration = 0.05)
{
    return spectrumFramesForSource(source, frameDuration, 16, currentGeneration());
}

// The band measure evaluated term by term as written, window and rotations recomputed for
// every probe: slow, and the reference for the fast meter.
std::vector<double> directLevels(const float* block, std::uint64_t n, std::uint64_t bands,
                                 double sampleRate)
{
    const double pi2 = 2.0 * std::numbers::pi;
    const float fmax = std::min(16000.0f, static_cast<float>(0.5 * sampleRate));
    const auto edge = [&](std::uint64_t i) {
        return 70.0f * std::pow(fmax / 70.0f, static_cast<float>(i) / static_cast<float>(bands));
    };
    std::vector<double> levels;
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
        levels.push_back(std::clamp(std::log10(1.0 + 88.0 * (sum / 3.0) * g * t), 0.0, 1.0));
    }
    return levels;
}

TEST(SpectrumLevels, EqualADirectEvaluationOfTheBandMeasure)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> amplitude(0.01f, 1.0f);
    for (const int rate : {8000, 22050, 44100, 48000, 96000}) {
        for (const std::uint64_t count : {32u, 33u, 66u, 100u, 1022u, 1023u, 1024u, 2205u, 4410u}) {
            for (const std::uint64_t bands : {16u, 1u, 5u, 40u}) {
                const Pcm noise = whiteNoise(amplitude(random), rate, 1, count, random());
                const std::uint64_t n = std::min<std::uint64_t>(count, 1024);
                const float* middle = noise.samples.data() + (count - n) / 2;
                const std::vector<double> measured =
                    SpectrumBandMeter(n, bands, rate).measure(middle);
                const std::vector<double> expected = directLevels(middle, n, bands, rate);
                ASSERT_EQ(measured.size(), expected.size());
                for (std::size_t i = 0; i < expected.size(); ++i)
                    EXPECT_NEAR(measured[i], expected[i], 1e-9)
                        << rate << " Hz, " << count << " samples, band " << i << " of " << bands;
                EXPECT_EQ(spectrumLevelsForSamples(noise.samples.data(), count, bands, rate),
                          SpectrumLevels(measured.begin(), measured.end()));
            }
        }
    }
}

TEST(SpectrumLevels, FullScaleSinesReadTheWorkedLevels)
{
    const std::pair<double, SpectrumLevels> sines[] = {
        // Exactly bin 29 of the 1024-sample block.
        {1248.93, {0, 0, 0, 0, 0, 0, 0, 0, 0.999f, 0, 0, 0, 0, 0, 0, 0}},
        {1000.0, {0, 0, 0, 0, 0, 0.001f, 0.005f, 0.987f, 0.046f, 0.001f, 0, 0, 0, 0, 0, 0}},
        {100.0,
         {0.831f, 0.784f, 0.660f, 0.105f, 0.028f, 0.007f, 0.002f, 0.001f, 0, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& [hertz, expected] : sines) {
        const Pcm sine = sineWave(hertz, 1.0, 44100, 1, 2205);
        const SpectrumLevels levels =
            spectrumLevelsForSamples(sine.samples.data(), 2205, 16, 44100);
        for (std::size_t i = 0; i < 16; ++i)
            EXPECT_NEAR(levels.at(i), expected[i], 0.0005) << hertz << " Hz, band " << i;
    }
}

TEST(SpectrumBands, MatchTheTableFor44100HzAnd1024Samples)
{
    // Band, lower and upper edge, the three probe bins, bass weight, treble tilt.
    const std::array<double, 8> rows[] = {{0, 70.0, 98.3, 2, 2, 2, 0.28, 1.000},
                                          {3, 193.8, 272.2, 5, 5, 6, 0.844, 1.084},
                                          {8, 1058.3, 1486.1, 26, 29, 33, 1.0, 1.224},
                                          {15, 11394.1, 16000.0, 278, 314, 355, 1.0, 1.420}};
    const std::vector<SpectrumBand> bands = spectrumBands(1024, 16, 44100);
    for (const auto& [index, lower, upper, bin0, bin1, bin2, bassWeight, tilt] : rows) {
        const SpectrumBand& band = bands.at(static_cast<std::size_t>(index));
        SCOPED_TRACE(::testing::Message() << "band " << index);
        EXPECT_NEAR(band.lower, lower, 0.05);
        EXPECT_NEAR(band.upper, upper, 0.05);
        EXPECT_EQ(std::vector<double>(band.probeBins.begin(), band.probeBins.end()),
                  (std::vector{bin0, bin1, bin2}));
        EXPECT_NEAR(band.bassWeight, bassWeight, 0.0005);
        EXPECT_NEAR(band.trebleTilt, tilt, 0.0005);
    }
}

TEST(SpectrumLevels, AreZerosForFewerThan32SamplesNoSamplesOrARateThatIsNoFloat)
{
    const Pcm sine = sineWave(6000, 1.0, 44100, 1, 32);
    const SpectrumLevels levels = spectrumLevelsForSamples(sine.samples.data(), 32, 16, 44100);
    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), 0.5f);
    EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 31, 16, 44100), zeros);
    EXPECT_EQ(spectrumLevelsForSamples(nullptr, 32, 16, 44100), zeros);
    // The bands are computed from the rate in single precision.
    for (const double rate : {0.0, -44100.0, notANumber, infinity, 1e300, 1e-300})
        EXPECT_EQ(spectrumLevelsForSamples(sine.samples.data(), 32, 16, rate), zeros) << rate;
}

TEST(SpectrumFrames, EachFrameMeasuresTheMiddleOfItsBlockAndATinyLastBlockReadsZero)
{
    // A 600 s track at 44100 Hz: 0.1 s frames of 4410 samples, each measured on samples
    // 1693 … 2716 of its block. The last block has 31 samples, too few to measure.
    const Pcm noise = whiteNoise(1.0, 44100, 1, 3 * 4410 + 31, 17);
    const SpectrumFrames frames = framesOf(PcmSampleSource(noise.samples, {44100, 1}, 600.0), 0.1);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t block = 0; block < 3; ++block) {
        const float* middle = noise.samples.data() + block * 4410 + 1693;
        EXPECT_EQ(frames[block], spectrumLevelsForSamples(middle, 1024, 16, 44100)) << block;
    }
    EXPECT_EQ(frames[3], zeros);
}

TEST(SpectrumFrames, OppositeChannelsCancel)
{
    const SpectrumFrames frames =
        framesOf(PcmSampleSource(oppositeStereoSine(1000, 0.9, 44100, 44100)));
    EXPECT_EQ(frames, SpectrumFrames(20, zeros));
}

TEST(SpectrumFrames, FrameLengthAndCountKeepTheirLimits)
{
    // 1.5 s at 8000 Hz, read with a stated length and a frame duration; the frames it gives.
    const Pcm tone = sineWave(1000, 0.9, 8000, 1, 12000);
    const std::array<double, 3> cases[] = {
        {1.5, 0.01, 47},       // 256 samples a frame, not 80
        {1.0, 0.05, 20},       // as many as the stated length holds, however long the data
        {notANumber, 0.05, 2}, // an unknown length counts as 0.1 s
        // One block of the whole track; nothing may be allocated for the frame claimed.
        {1.5, 1e15, 1},
        {1.5, infinity, 1}};
    for (const auto& [stated, frameDuration, frames] : cases)
        EXPECT_EQ(framesOf(PcmSampleSource(tone.samples, {8000, 1}, stated), frameDuration).size(),
                  static_cast<std::size_t>(frames))
            << stated << " s, frames of " << frameDuration << " s";
}

} // namespace
