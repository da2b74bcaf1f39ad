#include "analysis/BassMeterFrames.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

BassMeterFrames framesOf(const Pcm& pcm, double frameDuration = 1.0 / 60.0)
{
    PcmSampleSource source(pcm);
    return bassMeterFramesForSource(source, frameDuration, currentGeneration());
}

struct DurationCase
{
    double duration;
    double frameDuration;
};

class BassMeterFrameDuration : public ::testing::TestWithParam<DurationCase>
{};

TEST_P(BassMeterFrameDuration, IsASixtiethUpTo200SecondsThenAnEqualShareOf12000)
{
    EXPECT_DOUBLE_EQ(bassMeterFrameDurationForDuration(GetParam().duration),
                     GetParam().frameDuration);
}

INSTANTIATE_TEST_SUITE_P(Durations, BassMeterFrameDuration,
                         ::testing::Values(DurationCase{100.0, 1.0 / 60},
                                           DurationCase{200.0, 1.0 / 60}, DurationCase{600.0, 0.05},
                                           DurationCase{3600.0, 0.3}, DurationCase{0.0, 1.0 / 60},
                                           DurationCase{-5.0, 1.0 / 60},
                                           DurationCase{notANumber, 1.0 / 60},
                                           DurationCase{infinity, infinity}));

struct DecibelCase
{
    float amplitude;
    float decibels;
};

class Decibels : public ::testing::TestWithParam<DecibelCase>
{};

TEST_P(Decibels, AreTwentyLog10PlusTwoAboveTheFloor)
{
    EXPECT_NEAR(decibelsForAmplitude(GetParam().amplitude), GetParam().decibels, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(
    Amplitudes, Decibels,
    ::testing::Values(DecibelCase{1.0f, 2.0f}, DecibelCase{0.5f, -4.0206f},
                      DecibelCase{0.001f, -58.0f}, DecibelCase{0.0007f, -60.0f},
                      DecibelCase{0.0f, -60.0f}, DecibelCase{-1.0f, -60.0f},
                      DecibelCase{std::numeric_limits<float>::quiet_NaN(), -60.0f},
                      DecibelCase{2.0f, 8.0206f}));

struct ToneCase
{
    double hertz;
    float firstFrame;
    float settled;
};

void PrintTo(const ToneCase& c, std::ostream* out)
{
    *out << c.hertz << " Hz";
}

class SettledTone : public ::testing::TestWithParam<ToneCase>
{};

TEST_P(SettledTone, ReadsTheFilteredPeakOfEveryFrame)
{
    const ToneCase c = GetParam();
    // 735 sample frames a frame: one second gives exactly 60 frames.
    const BassMeterFrames frames = framesOf(sineWave(c.hertz, 1.0, 44100, 2, 44100));
    ASSERT_EQ(frames.size(), 60u);
    EXPECT_NEAR(frames[0][0], c.firstFrame, 0.005);
    for (std::size_t j = 1; j < frames.size(); ++j) {
        EXPECT_NEAR(frames[j][0], c.settled, 0.005) << "frame " << j;
        EXPECT_EQ(frames[j][1], frames[j][0]) << "frame " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(FullScaleSines, SettledTone,
                         ::testing::Values(ToneCase{50.0, 1.673f, 1.67f},
                                           ToneCase{180.0, -0.466f, -1.07f},
                                           ToneCase{1000.0, -9.14f, -13.13f}));

TEST(BassMeterFrames, DcOfOneHalfSettlesAtOneHalf)
{
    const BassMeterFrames frames = framesOf(dcLevel(0.5, 44100, 2, 44100));
    ASSERT_EQ(frames.size(), 60u);
    EXPECT_NEAR(frames.back()[0], -4.02f, 0.005);
    EXPECT_NEAR(frames.back()[1], -4.02f, 0.005);
}

TEST(BassMeterFrames, SilenceReadsTheFloorInEveryFrame)
{
    for (const BassMeterFrame& frame : framesOf(silence(44100, 2, 44100)))
        EXPECT_EQ(frame, (BassMeterFrame{-60.0f, -60.0f}));
}

TEST(BassMeterFrames, AnImpulseReadsTheFilterCoefficient)
{
    for (const int rate : {8000, 44100, 96000}) {
        Pcm impulse = silence(rate, 1, 10);
        impulse.samples[0] = 1.0f;
        // One sample frame per frame.
        const BassMeterFrames frames = framesOf(impulse, 1.0 / rate);
        ASSERT_EQ(frames.size(), 10u);
        const double omega = 2.0 * std::numbers::pi * 180.0;
        const auto alpha = static_cast<float>(omega / (rate + omega));
        EXPECT_EQ(frames[0][0], decibelsForAmplitude(alpha)) << rate << " Hz";
        EXPECT_EQ(frames[1][0], decibelsForAmplitude(alpha - alpha * alpha)) << rate << " Hz";
    }
}

TEST(BassMeterFrames, LeftAndRightAreFilteredApart)
{
    Pcm pcm = sineWave(50, 1.0, 44100, 2, 44100);
    for (std::size_t i = 1; i < pcm.samples.size(); i += 2)
        pcm.samples[i] *= 0.25f;
    const BassMeterFrames frames = framesOf(pcm);
    EXPECT_NEAR(frames.back()[0], 1.67f, 0.005);
    EXPECT_NEAR(frames.back()[1], 1.67f + 20.0f * std::log10(0.25f), 0.005);
}

TEST(BassMeterFrames, MonoGivesEqualPairs)
{
    const BassMeterFrames frames = framesOf(whiteNoise(0.7, 44100, 1, 44100, 9));
    ASSERT_EQ(frames.size(), 60u);
    for (const BassMeterFrame& frame : frames) {
        EXPECT_EQ(frame[0], frame[1]);
        EXPECT_GT(frame[0], -40.0f);
    }
}

TEST(BassMeterFrames, ChannelsFromTheThirdOnAreIgnored)
{
    const Pcm stereo = sineWave(60, 0.8, 44100, 2, 22050);
    Pcm sixChannels = sineWave(60, 0.8, 44100, 6, 22050);
    for (std::size_t i = 0; i < sixChannels.samples.size(); ++i) {
        if (i % 6 >= 2)
            sixChannels.samples[i] = 1.0f;
    }
    EXPECT_EQ(framesOf(sixChannels), framesOf(stereo));
}

TEST(BassMeterFrames, TheLastShorterFrameIsKept)
{
    // Two sample frames a frame, five sample frames.
    const BassMeterFrames frames = framesOf(dcLevel(1.0, 1000, 2, 5), 0.002);
    EXPECT_EQ(frames.size(), 3u);
}

TEST(BassMeterFrames, StopReadingAtTwelveThousandFramesWithoutAPartialFrame)
{
    PcmSampleSource source(dcLevel(0.5, 1000, 2, 2 * 12000 + 1 + 5000));
    source.bufferSizes = {1000};
    const BassMeterFrames frames = bassMeterFramesForSource(source, 0.002, currentGeneration());
    EXPECT_EQ(frames.size(), 12000u);
    EXPECT_FALSE(source.isExhausted());
}

class UnusableFrameDuration : public ::testing::TestWithParam<double>
{};

TEST_P(UnusableFrameDuration, GivesNoFramesWithoutOpeningTheTrack)
{
    PcmSampleSource source(sineWave(50, 1.0, 44100, 2, 4410));
    EXPECT_TRUE(bassMeterFramesForSource(source, GetParam(), currentGeneration()).empty());
    EXPECT_EQ(source.openCount, 0);
}

INSTANTIATE_TEST_SUITE_P(FrameDurations, UnusableFrameDuration,
                         ::testing::Values(0.0, -1.0 / 60, notANumber, -infinity));

TEST(BassMeterFrames, AnInfiniteFrameDurationGivesOneFrameOfTheWholeTrack)
{
    const BassMeterFrames frames = framesOf(dcLevel(0.5, 44100, 2, 44100), infinity);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_NEAR(frames[0][0], -4.02f, 0.005);
}

TEST(BassMeterFrames, ASampleThatIsNotFiniteDoesNotSpoilTheRestOfTheTrack)
{
    Pcm pcm = dcLevel(0.5, 44100, 2, 44100);
    pcm.samples[100] = std::numeric_limits<float>::quiet_NaN();
    pcm.samples[101] = std::numeric_limits<float>::infinity();
    const BassMeterFrames frames = framesOf(pcm);
    ASSERT_EQ(frames.size(), 60u);
    EXPECT_NEAR(frames.back()[0], -4.02f, 0.005);
    EXPECT_NEAR(frames.back()[1], -4.02f, 0.005);
}

} // namespace
