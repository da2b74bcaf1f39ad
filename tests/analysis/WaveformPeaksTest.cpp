#include "analysis/WaveformPeaks.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

struct BinCountCase
{
    double duration;
    std::uint64_t bins;
};

class WaveformBinCount : public ::testing::TestWithParam<BinCountCase>
{};

TEST_P(WaveformBinCount, IsSixHundredPerSecondWithinItsLimits)
{
    EXPECT_EQ(waveformBinCountForDuration(GetParam().duration), GetParam().bins);
}

INSTANTIATE_TEST_SUITE_P(
    Durations, WaveformBinCount,
    ::testing::Values(BinCountCase{0.5, 600}, BinCountCase{10.0, 6000}, BinCountCase{60.0, 36000},
                      BinCountCase{3 * 3600.0, 36000}, BinCountCase{1.0, 600},
                      BinCountCase{30.0005, 18001}, BinCountCase{0.0, 600}, BinCountCase{-4.0, 600},
                      BinCountCase{std::numeric_limits<double>::quiet_NaN(), 600},
                      BinCountCase{infinity, 36000}, BinCountCase{-infinity, 600}));

// Eight stereo frames, left (f + 1) / 10 and right -(f + 1) / 20, stated as six frames long
// (8 Hz, 0.75 s).
PcmSampleSource rampSource(int channels = 2)
{
    std::vector<float> samples;
    for (int frame = 0; frame < 8; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const float left = static_cast<float>(frame + 1) / 10.0f;
            samples.push_back(channel == 0 ? left : channel == 1 ? -left / 2.0f : 1.0f);
        }
    }
    return PcmSampleSource(std::move(samples), {8, channels}, 0.75);
}

TEST(WaveformPeaks, BinsFollowTheFrameIndexAndTheTailFillsTheLastBin)
{
    PcmSampleSource source = rampSource();
    const WaveformPeaks peaks = waveformPeaksForSource(source, 3, currentGeneration());
    EXPECT_EQ(peaks.left, (std::vector<float>{0.2f, 0.4f, 0.8f}));
    EXPECT_EQ(peaks.right, (std::vector<float>{0.1f, 0.2f, 0.4f}));
}

TEST(WaveformPeaks, MoreBinsThanFramesLeaveTheBinsBetweenAtZero)
{
    PcmSampleSource source = rampSource();
    const WaveformPeaks peaks = waveformPeaksForSource(source, 12, currentGeneration());
    EXPECT_EQ(peaks.left,
              (std::vector<float>{0.1f, 0, 0.2f, 0, 0.3f, 0, 0.4f, 0, 0.5f, 0, 0.6f, 0.8f}));
}

TEST(WaveformPeaks, SixChannelsUseTheFirstTwoAndAdvanceByWholeFrames)
{
    PcmSampleSource stereo = rampSource(2);
    PcmSampleSource sixChannels = rampSource(6);
    const WaveformPeaks expected = waveformPeaksForSource(stereo, 3, currentGeneration());
    const WaveformPeaks peaks = waveformPeaksForSource(sixChannels, 3, currentGeneration());
    EXPECT_EQ(peaks.left, expected.left);
    EXPECT_EQ(peaks.right, expected.right);
}

TEST(WaveformPeaks, MonoGivesEqualSides)
{
    PcmSampleSource source(whiteNoise(0.8, 44100, 1, 44100, 11));
    const WaveformPeaks peaks = waveformPeaksForSource(source, 600, currentGeneration());
    ASSERT_EQ(peaks.left.size(), 600u);
    EXPECT_EQ(peaks.left, peaks.right);
    EXPECT_GT(*std::min_element(peaks.left.begin(), peaks.left.end()), 0.5f);
}

TEST(WaveformPeaks, SamplesBeyondFullScaleCountAsFullScale)
{
    PcmSampleSource source({0.25f, -1.5f, 3.0f, 0.5f}, {44100, 2}, 1.0);
    const WaveformPeaks peaks = waveformPeaksForSource(source, 2, currentGeneration());
    EXPECT_EQ(peaks.left, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(peaks.right, (std::vector<float>{1.0f, 0.0f}));
}

// The bin of every frame computed on its own, as floor(frame × bins / estimated frames).
std::vector<float> directLeftPeaks(const std::vector<float>& left, std::uint64_t bins,
                                   std::uint64_t estimatedFrames)
{
    std::vector<float> peaks(bins, 0.0f);
    for (std::uint64_t frame = 0; frame < left.size(); ++frame) {
        const std::uint64_t bin = std::min(frame * bins / estimatedFrames, bins - 1);
        peaks[bin] = std::max(peaks[bin], std::fabs(left[frame]));
    }
    return peaks;
}

TEST(WaveformPeaks, EveryFrameLandsInTheBinOfItsIndex)
{
    std::mt19937 random(5);
    for (const std::uint64_t bins : {1u, 7u, 600u, 997u, 36000u}) {
        for (const int frames : {1, 599, 1000, 44101}) {
            // A rate of 1024 Hz keeps the stated duration exact in binary.
            const Pcm noise = whiteNoise(1.0, 1024, 1, frames, random());
            const auto stated = static_cast<std::uint64_t>(frames - frames / 7);
            PcmSampleSource source(noise.samples, {1024, 1}, static_cast<double>(stated) / 1024);
            const WaveformPeaks peaks = waveformPeaksForSource(source, bins, currentGeneration());
            EXPECT_EQ(peaks.left,
                      directLeftPeaks(noise.samples, bins, std::max<std::uint64_t>(stated, 1)))
                << bins << " bins, " << frames << " frames";
        }
    }
}

TEST(WaveformPeaks, NoBinsGiveEmptySidesWithoutOpeningTheTrack)
{
    PcmSampleSource source(sineWave(440, 1.0, 44100, 2, 4410));
    const WaveformPeaks peaks = waveformPeaksForSource(source, 0, currentGeneration());
    EXPECT_TRUE(peaks.left.empty());
    EXPECT_TRUE(peaks.right.empty());
    EXPECT_EQ(source.openCount, 0);
}

TEST(WaveformPeaks, UnknownDurationEstimatesOneFrameSoEverythingFallsIntoTheLastBin)
{
    PcmSampleSource source({0.5f, 0.25f, 0.75f, 0.125f}, {44100, 2},
                           std::numeric_limits<double>::quiet_NaN());
    const WaveformPeaks peaks = waveformPeaksForSource(source, 4, currentGeneration());
    EXPECT_EQ(peaks.left, (std::vector<float>{0.5f, 0, 0, 0.75f}));
    EXPECT_EQ(peaks.right, (std::vector<float>{0.25f, 0, 0, 0.125f}));
}

TEST(WaveformPeaks, ASupersededReadingKeepsOnlyTheBinsFilledBeforeTheChange)
{
    const auto counter = std::make_shared<AnalysisGeneration::Counter>(1);
    PcmSampleSource source(dcLevel(0.5, 1000, 2, 1000));
    source.bufferSizes = {500};
    source.supersedingCounter = counter;
    source.supersededAtBuffer = 1;
    const WaveformPeaks peaks = waveformPeaksForSource(source, 4, AnalysisGeneration(counter));
    EXPECT_EQ(peaks.left, (std::vector<float>{0.5f, 0, 0, 0}));
}

} // namespace
