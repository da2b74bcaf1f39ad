#include "analysis/SpectrumFrames.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

SpectrumFrames framesOf(PcmSampleSource& source, double frameDuration = 0.05)
{
    return spectrumFramesForSource(source, frameDuration, 16, currentGeneration());
}

bool isSilent(const SpectrumLevels& levels)
{
    return levels == SpectrumLevels(16, 0.0f);
}

struct DurationCase
{
    double duration;
    double frameDuration;
};

class SpectrumFrameDuration : public ::testing::TestWithParam<DurationCase>
{};

TEST_P(SpectrumFrameDuration, IsOneTwentiethUpTo300SecondsThenAnEqualShareOf6000)
{
    EXPECT_DOUBLE_EQ(spectrumFrameDurationForDuration(GetParam().duration),
                     GetParam().frameDuration);
}

INSTANTIATE_TEST_SUITE_P(Durations, SpectrumFrameDuration,
                         ::testing::Values(DurationCase{60.0, 0.05}, DurationCase{300.0, 0.05},
                                           DurationCase{600.0, 0.1}, DurationCase{0.0, 0.05},
                                           DurationCase{-2.0, 0.05}, DurationCase{notANumber, 0.05},
                                           DurationCase{infinity, infinity}));

TEST(SpectrumFrames, EachFrameMeasuresTheMiddleOfItsBlock)
{
    // A 600 s track at 44100 Hz: 0.1 s frames of 4410 samples, each measured on samples
    // 1693 … 2716 of its block. Noise elsewhere shows whether the wrong samples were used.
    Pcm pcm = whiteNoise(1.0, 44100, 1, 3 * 4410, 17);
    for (std::size_t block = 0; block < 3; ++block) {
        for (std::size_t n = 1693; n <= 2716; ++n)
            pcm.samples[block * 4410 + n] = static_cast<float>(
                std::sin(2.0 * 3.141592653589793 * (500.0 + 500.0 * block) * n / 44100.0));
    }
    PcmSampleSource source(pcm.samples, {44100, 1}, 600.0);
    const SpectrumFrames frames = framesOf(source, 0.1);
    ASSERT_EQ(frames.size(), 3u);
    for (std::size_t block = 0; block < 3; ++block) {
        const float* middle = pcm.samples.data() + block * 4410 + 1693;
        EXPECT_EQ(frames[block], spectrumLevelsForSamples(middle, 1024, 16, 44100))
            << "frame " << block;
    }
}

TEST(SpectrumFrames, OppositeChannelsCancel)
{
    PcmSampleSource source(oppositeStereoSine(1000, 0.9, 44100, 44100));
    const SpectrumFrames frames = framesOf(source);
    ASSERT_EQ(frames.size(), 20u);
    for (const SpectrumLevels& levels : frames)
        EXPECT_TRUE(isSilent(levels));
}

TEST(SpectrumFrames, AllChannelsAreAveraged)
{
    // A tone on the sixth channel only reaches the block at a sixth of its level.
    const Pcm tone = sineWave(1000, 0.9, 44100, 1, 22050);
    std::vector<float> sixChannels(tone.samples.size() * 6, 0.0f);
    std::vector<float> sixth(tone.samples.size());
    for (std::size_t n = 0; n < tone.samples.size(); ++n) {
        sixChannels[n * 6 + 5] = tone.samples[n];
        sixth[n] = static_cast<float>(static_cast<double>(tone.samples[n]) / 6.0);
    }
    PcmSampleSource source(sixChannels, {44100, 6}, 0.5);
    PcmSampleSource mono(sixth, {44100, 1}, 0.5);
    const SpectrumFrames frames = framesOf(source);
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames, framesOf(mono));
    EXPECT_GT(frames[3][7], 0.2f);
}

TEST(SpectrumFrames, TheLastShorterBlockIsMeasuredAndATinyOneReadsZero)
{
    for (const std::int64_t extra : {std::int64_t{31}, std::int64_t{1000}}) {
        PcmSampleSource source(sineWave(1000, 0.9, 44100, 1, 2 * 2205 + extra));
        const SpectrumFrames frames = framesOf(source);
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_EQ(isSilent(frames[2]), extra < 32) << extra << " samples";
    }
}

TEST(SpectrumFrames, FrameLengthIsAtLeast256Samples)
{
    // 0.01 s at 8000 Hz would be 80 samples.
    PcmSampleSource source(sineWave(1000, 0.9, 8000, 1, 1024));
    EXPECT_EQ(framesOf(source, 0.01).size(), 4u);
}

TEST(SpectrumFrames, AnAbsurdFrameDurationMeasuresTheWholeTrackAsOneBlock)
{
    // Nothing may be allocated for the frame the duration claims.
    const Pcm tone = sineWave(1000, 0.9, 44100, 1, 4410);
    for (const double frameDuration : {1e15, infinity}) {
        PcmSampleSource source(tone);
        const SpectrumFrames frames = framesOf(source, frameDuration);
        ASSERT_EQ(frames.size(), 1u) << frameDuration;
        EXPECT_EQ(frames[0], spectrumLevelsForSamples(tone.samples.data(), 4410, 16, 44100));
    }
}

TEST(SpectrumFrames, StopReadingAtTheFrameLimitWithoutAPartialFrame)
{
    // 256-sample frames; the stated length allows 6000 of them.
    PcmSampleSource source(whiteNoise(0.5, 8000, 1, 6000 * 256 + 100, 23).samples, {8000, 1}, 1e6);
    source.bufferSizes = {1000};
    const SpectrumFrames frames = framesOf(source, 0.032);
    EXPECT_EQ(frames.size(), 6000u);
    EXPECT_FALSE(source.isExhausted());
}

TEST(SpectrumFrames, TheTracksStatedLengthLimitsTheFrames)
{
    // One second allows 20 frames of 0.05 s, however long the data runs.
    PcmSampleSource source(sineWave(1000, 0.9, 44100, 2, 44100 * 3 / 2).samples, {44100, 2}, 1.0);
    EXPECT_EQ(framesOf(source).size(), 20u);
    PcmSampleSource unknownLength(sineWave(1000, 0.9, 44100, 2, 44100).samples, {44100, 2},
                                  notANumber);
    EXPECT_EQ(framesOf(unknownLength).size(), 2u);
}

class UnusableSpectrumRequest : public ::testing::TestWithParam<std::pair<double, std::uint64_t>>
{};

TEST_P(UnusableSpectrumRequest, GivesNoFramesWithoutOpeningTheTrack)
{
    PcmSampleSource source(sineWave(1000, 0.9, 44100, 2, 4410));
    EXPECT_TRUE(
        spectrumFramesForSource(source, GetParam().first, GetParam().second, currentGeneration())
            .empty());
    EXPECT_EQ(source.openCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Requests, UnusableSpectrumRequest,
                         ::testing::Values(std::pair{0.0, std::uint64_t{16}},
                                           std::pair{-0.05, std::uint64_t{16}},
                                           std::pair{notANumber, std::uint64_t{16}},
                                           std::pair{0.05, std::uint64_t{0}}));

TEST(SpectrumFrames, ASupersededReadingEndsWithoutItsPartialBlock)
{
    const auto counter = std::make_shared<AnalysisGeneration::Counter>(1);
    PcmSampleSource source(sineWave(1000, 0.9, 44100, 1, 44100));
    source.bufferSizes = {3000};
    source.supersedingCounter = counter;
    source.supersededAtBuffer = 2;
    const SpectrumFrames frames =
        spectrumFramesForSource(source, 0.05, 16, AnalysisGeneration(counter));
    EXPECT_EQ(frames.size(), 2u);
}

} // namespace
