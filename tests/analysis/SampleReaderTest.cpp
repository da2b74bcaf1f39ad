#include "analysis/SampleReader.h"
#include "support/TrackAnalyses.h"

#include <cmath>
#include <limits>
#include <numeric>

#include <gtest/gtest.h>

namespace {

std::vector<float> readAll(SampleReader& reader)
{
    std::vector<float> samples;
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer())
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    return samples;
}

TEST(SampleReader, ReadsSamplesThatAreNotFiniteAsZeroAndFillsInTheFormat)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    // A rate or channel count that is not positive stands for 44100 Hz or 2 channels.
    PcmSampleSource source({0.25f, std::nanf(""), -infinity, 1.5f, infinity, -0.75f}, {0, -1}, 1.0);
    source.bufferSizes = {2, 4};
    SampleReader reader(source, currentGeneration());
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(reader.format().sampleRate, 44100);
    EXPECT_EQ(reader.format().channelCount, 2);
    EXPECT_EQ(readAll(reader), (std::vector<float>{0.25f, 0.0f, 0.0f, 1.5f, 0.0f, -0.75f}));
}

TEST(SampleReader, StopsAtTheBufferDuringWhichTheGenerationChanged)
{
    PcmSampleSource source(dcLevel(0.5, 44100, 2, 1000));
    source.bufferSizes = {100};
    source.supersedingCounter = std::make_shared<AnalysisGeneration::Counter>(7);
    source.supersededAtBuffer = 2;
    SampleReader reader(source, AnalysisGeneration(source.supersedingCounter));
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(readAll(reader).size(), 200u);
    // Once the change is seen, not even the next buffer is decoded.
    EXPECT_TRUE(reader.nextBuffer().empty());
    EXPECT_EQ(source.buffersDelivered, 3u);
}

TEST(Analyses, TakeTheirBinCountAndFrameDurationsFromTheTrackDuration)
{
    // Duration; waveform bins, bass and spectrum frame durations in seconds.
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const std::array<double, 4> cases[] = {
        {0.5, 600, 1.0 / 60, 0.05},          {10.0, 6000, 1.0 / 60, 0.05},
        {30.0005, 18001, 1.0 / 60, 0.05},    {200.0, 36000, 1.0 / 60, 0.05},
        {300.0, 36000, 0.025, 0.05},         {600.0, 36000, 0.05, 0.1},
        {3600.0, 36000, 0.3, 0.6},           {-4.0, 600, 1.0 / 60, 0.05},
        {std::nan(""), 600, 1.0 / 60, 0.05}, {infinity, 36000, infinity, infinity}};
    for (const auto& [duration, bins, bassFrame, spectrumFrame] : cases) {
        EXPECT_EQ(waveformBinCountForDuration(duration), bins) << duration;
        EXPECT_DOUBLE_EQ(bassMeterFrameDurationForDuration(duration), bassFrame) << duration;
        EXPECT_DOUBLE_EQ(spectrumFrameDurationForDuration(duration), spectrumFrame) << duration;
    }
    // An infinite frame holds the whole track.
    PcmSampleSource source(silence(1000, 2, 10));
    EXPECT_EQ(bassMeterFramesForSource(source, infinity, currentGeneration()).size(), 1u);
}

TEST(Analyses, GiveTheSameResultsForAnySplitIntoBuffers)
{
    // One sample, three, odd sizes, a first buffer ending inside a frame, the decoder's size.
    const std::vector<std::size_t> splits[] = {{1}, {3}, {1151, 7, 4095}, {5, 2304}, {2304}};
    for (const int channels : {1, 2, 3, 6}) {
        // A little over a second: each analysis ends with a shorter frame.
        const Pcm pcm = whiteNoise(0.9, 44100, channels, 44100 + 1234, 29);
        PcmSampleSource source(pcm);
        source.bufferSizes = {pcm.samples.size()};
        const TrackAnalyses whole = analyseTrack(source);
        EXPECT_EQ(whole.bass.size(), 62u);
        EXPECT_EQ(whole.spectrum.size(), 21u);
        for (const std::vector<std::size_t>& sizes : splits) {
            SCOPED_TRACE(::testing::Message() << channels << " channels, " << sizes[0]);
            source.bufferSizes = sizes;
            expectSameAnalyses(analyseTrack(source), whole);
        }
    }
}

TEST(Analyses, ReadMonoOnBothSidesAndTheFirstTwoOfSixChannelsOnTheirSides)
{
    // Six channels: the mono signal on the first two, a constant on the rest.
    const Pcm mono = whiteNoise(0.9, 44100, 1, 44100, 29);
    std::vector<float> sixChannels;
    std::vector<float> averageOfSix;
    for (const float sample : mono.samples) {
        const float frame[] = {sample, sample, 0.25f, 0.25f, 0.25f, 0.25f};
        sixChannels.insert(sixChannels.end(), std::begin(frame), std::end(frame));
        averageOfSix.push_back(static_cast<float>(std::accumulate(frame, frame + 6, 0.0) / 6));
    }
    const TrackAnalyses fromMono = analyseTrack(PcmSampleSource(mono));
    const TrackAnalyses fromSix = analyseTrack(PcmSampleSource(sixChannels, {44100, 6}, 1.0));
    EXPECT_EQ(fromMono.peaks.right, fromMono.peaks.left);
    EXPECT_EQ(fromSix.peaks.left, fromMono.peaks.left);
    EXPECT_EQ(fromSix.peaks.right, fromMono.peaks.left);
    EXPECT_EQ(fromSix.bass, fromMono.bass);
    // The spectrum alone averages all channels.
    EXPECT_EQ(fromSix.spectrum,
              analyseTrack(PcmSampleSource(averageOfSix, {44100, 1}, 1.0)).spectrum);
}

TEST(Analyses, KeepWhatWasReadBeforeTheGenerationChangedWithoutAPartialFrame)
{
    // The change comes as the third buffer is decoded: 6000 samples count.
    const Pcm tone = sineWave(1000, 0.9, 44100, 1, 44100);
    PcmSampleSource source(tone);
    source.bufferSizes = {3000};
    source.supersedingCounter = std::make_shared<AnalysisGeneration::Counter>(1);
    source.supersededAtBuffer = 2;
    const TrackAnalyses superseded = analyseTrack(source, source.supersedingCounter);
    const std::vector<float> head(tone.samples.begin(), tone.samples.begin() + 6000);
    const TrackAnalyses read = analyseTrack(PcmSampleSource(head, {44100, 1}, 1.0));
    EXPECT_EQ(superseded.peaks.left, read.peaks.left);
    // The track did not end there: the frame in progress is no shorter last frame.
    EXPECT_EQ(superseded.bass, BassMeterFrames(read.bass.begin(), read.bass.end() - 1));
    EXPECT_EQ(superseded.spectrum, SpectrumFrames(read.spectrum.begin(), read.spectrum.end() - 1));
}

TEST(Analyses, StopReadingAtTheirFrameLimitsWithoutAPartialFrame)
{
    // Bass frames of 16 samples, spectrum frames of 256; the stated length allows more.
    PcmSampleSource bass(whiteNoise(0.5, 8000, 1, 6000 * 256 + 100, 23).samples, {8000, 1}, 1e6);
    bass.bufferSizes = {1000};
    PcmSampleSource spectrum = bass;
    EXPECT_EQ(bassMeterFramesForSource(bass, 0.002, currentGeneration()).size(), 12000u);
    EXPECT_EQ(spectrumFramesForSource(spectrum, 0.032, 16, currentGeneration()).size(), 6000u);
    EXPECT_FALSE(bass.isExhausted() || spectrum.isExhausted());
}

TEST(Analyses, GiveTheirEmptyResultsWithoutOpeningTheTrackForAStaleGenerationOrNoWork)
{
    PcmSampleSource source(sineWave(50, 1.0, 44100, 2, 4410));
    const auto counter = std::make_shared<AnalysisGeneration::Counter>(7);
    const AnalysisGeneration superseded(counter);
    ++*counter;
    for (const AnalysisGeneration& generation : {superseded, AnalysisGeneration(nullptr, 0)}) {
        EXPECT_EQ(waveformPeaksForSource(source, 3, generation).left, std::vector<float>(3));
        EXPECT_TRUE(bassMeterFramesForSource(source, 1.0 / 60, generation).empty());
        EXPECT_TRUE(spectrumFramesForSource(source, 0.05, 16, generation).empty());
    }
    for (const double frameDuration : {0.0, -1.0 / 60, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_TRUE(bassMeterFramesForSource(source, frameDuration, currentGeneration()).empty());
        EXPECT_TRUE(
            spectrumFramesForSource(source, frameDuration, 16, currentGeneration()).empty());
    }
    EXPECT_TRUE(spectrumFramesForSource(source, 0.05, 0, currentGeneration()).empty());
    EXPECT_TRUE(waveformPeaksForSource(source, 0, currentGeneration()).right.empty());
    EXPECT_EQ(source.openCount, 0);
}

} // namespace
