#include "analysis/SampleReader.h"

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

// The analyses as a load runs them: sized by the stated duration, each on a copy of the source
// (each decodes the file on its own), each with the generation the counter holds as it starts.
struct TrackAnalyses
{
    explicit TrackAnalyses(const PcmSampleSource& source,
                           const std::shared_ptr<AnalysisGeneration::Counter>& counter =
                               std::make_shared<AnalysisGeneration::Counter>(1))
    {
        PcmSampleSource copies[] = {source, source, source};
        const double duration = source.duration();
        const WaveformPeaks peaks = waveformPeaksForSource(
            copies[0], waveformBinCountForDuration(duration), AnalysisGeneration(counter));
        left = peaks.left;
        right = peaks.right;
        bass = bassMeterFramesForSource(copies[1], bassMeterFrameDurationForDuration(duration),
                                        AnalysisGeneration(counter));
        spectrum = spectrumFramesForSource(copies[2], spectrumFrameDurationForDuration(duration),
                                           spectrumBandCount, AnalysisGeneration(counter));
    }
    bool operator==(const TrackAnalyses&) const = default;

    std::vector<float> left;
    std::vector<float> right;
    BassMeterFrames bass;
    SpectrumFrames spectrum;
};

TEST(SampleReaderTest, ReadsSamplesThatAreNotFiniteAsZeroAndFillsInTheFormat)
{
    // A rate or channel count that is not positive stands for 44100 Hz or 2 channels.
    PcmSampleSource source({0.25f, std::nanf(""), -HUGE_VALF, 1.5f, HUGE_VALF, -0.75f}, {0, -1}, 1);
    source.bufferSizes = {2, 4};
    SampleReader reader(source, currentGeneration());
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(std::pair(reader.format().sampleRate, reader.format().channelCount),
              std::pair(44100, 2));
    std::vector<float> samples;
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer())
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    EXPECT_EQ(samples, (std::vector<float>{0.25f, 0.0f, 0.0f, 1.5f, 0.0f, -0.75f}));
}

TEST(SampleReaderTest, GiveTheSameResultsForAnySplitIntoBuffers)
{
    // One sample, three, odd sizes, a first buffer ending inside a frame, the decoder's size.
    const std::vector<std::size_t> splits[] = {{1}, {3}, {1151, 7, 4095}, {5, 2304}, {2304}};
    for (const int channels : {1, 2, 3, 6}) {
        // A little over a second: each analysis ends with a shorter frame.
        const Pcm pcm = whiteNoise(0.9, 44100, channels, 44100 + 1234, 29);
        PcmSampleSource source(pcm);
        source.bufferSizes = {pcm.samples.size()};
        const TrackAnalyses whole(source);
        EXPECT_EQ(std::pair(whole.bass.size(), whole.spectrum.size()),
                  std::pair(std::size_t{62}, std::size_t{21}));
        for (const std::vector<std::size_t>& sizes : splits) {
            SCOPED_TRACE(::testing::Message() << channels << " channels, " << sizes[0]);
            source.bufferSizes = sizes;
            EXPECT_TRUE(TrackAnalyses(source) == whole);
        }
    }
}

TEST(SampleReaderTest, KeepWhatWasReadBeforeTheGenerationChangedWithoutAPartialFrame)
{
    // The change comes as the third buffer is decoded: 6000 samples count, and not even the
    // next buffer is decoded.
    const Pcm tone = sineWave(1000, 0.9, 44100, 1, 44100);
    PcmSampleSource source(tone);
    source.bufferSizes = {3000};
    source.supersedingCounter = std::make_shared<AnalysisGeneration::Counter>(1);
    source.supersededAtBuffer = 2;
    PcmSampleSource waveform = source;
    waveformPeaksForSource(waveform, 600, AnalysisGeneration(source.supersedingCounter));
    EXPECT_EQ(waveform.buffersDelivered, 3u);
    const TrackAnalyses superseded(source, source.supersedingCounter);
    const std::vector<float> head(tone.samples.begin(), tone.samples.begin() + 6000);
    const TrackAnalyses read(PcmSampleSource(head, {44100, 1}, 1.0));
    EXPECT_EQ(superseded.left, read.left);
    // The track did not end there: the frame in progress is no shorter last frame.
    EXPECT_EQ(superseded.bass, BassMeterFrames(read.bass.begin(), read.bass.end() - 1));
    EXPECT_EQ(superseded.spectrum, SpectrumFrames(read.spectrum.begin(), read.spectrum.end() - 1));
}

TEST(SampleReaderTest, GiveTheirEmptyResultsWithoutOpeningTheTrackForAStaleGenerationOrNoWork)
{
    PcmSampleSource source(sineWave(50, 1.0, 44100, 2, 4410));
    const auto counter = std::make_shared<AnalysisGeneration::Counter>(7);
    const AnalysisGeneration superseded(counter);
    ++*counter;
    // Generation, waveform bins, frame duration: each alone gives the empty results.
    const std::tuple<AnalysisGeneration, std::uint64_t, double> cases[] = {
        {superseded, 3, 0.05},
        {AnalysisGeneration(nullptr, 0), 3, 0.05},
        {currentGeneration(), 0, 0.0},
        {currentGeneration(), 0, std::nan("")}};
    for (const auto& [generation, bins, frameDuration] : cases) {
        EXPECT_EQ(waveformPeaksForSource(source, bins, generation).left, std::vector<float>(bins));
        EXPECT_TRUE(bassMeterFramesForSource(source, frameDuration, generation).empty());
        EXPECT_TRUE(spectrumFramesForSource(source, frameDuration, 16, generation).empty());
    }
    EXPECT_TRUE(spectrumFramesForSource(source, 0.05, 0, currentGeneration()).empty());
    EXPECT_EQ(source.openCount, 0);
}

} // namespace
