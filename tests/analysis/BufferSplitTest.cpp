#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"
#include "support/PcmSampleSource.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char* name;
    std::vector<std::size_t> bufferSizes;
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

class BufferSplit : public ::testing::TestWithParam<SplitCase>
{
protected:
    struct Results
    {
        WaveformPeaks peaks;
        BassMeterFrames bass;
        SpectrumFrames spectrum;
    };

    static Results analyse(const Pcm& pcm, const std::vector<std::size_t>& bufferSizes)
    {
        const AnalysisGeneration generation(std::make_shared<AnalysisGeneration::Counter>(1));
        Results results;
        PcmSampleSource waveformSource(pcm);
        waveformSource.bufferSizes = bufferSizes;
        results.peaks = waveformPeaksForSource(waveformSource, 600, generation);
        PcmSampleSource bassSource(pcm);
        bassSource.bufferSizes = bufferSizes;
        results.bass = bassMeterFramesForSource(bassSource, 1.0 / 60, generation);
        PcmSampleSource spectrumSource(pcm);
        spectrumSource.bufferSizes = bufferSizes;
        results.spectrum = spectrumFramesForSource(spectrumSource, 0.05, 16, generation);
        return results;
    }
};

TEST_P(BufferSplit, GivesTheResultsOfTheWholeSignalInOneBuffer)
{
    for (const int channels : {1, 2, 3, 6}) {
        // A little over a second: a final shorter frame for each analysis.
        Pcm pcm = whiteNoise(0.6, 44100, channels, 44100 + 1234, 29);
        const Pcm tone = sineWave(80, 0.4, 44100, channels, 44100 + 1234);
        for (std::size_t i = 0; i < pcm.samples.size(); ++i)
            pcm.samples[i] += tone.samples[i];

        const Results whole = analyse(pcm, {pcm.samples.size()});
        const Results split = analyse(pcm, GetParam().bufferSizes);
        EXPECT_EQ(split.peaks.left, whole.peaks.left) << channels << " channels";
        EXPECT_EQ(split.peaks.right, whole.peaks.right) << channels << " channels";
        EXPECT_EQ(split.bass, whole.bass) << channels << " channels";
        EXPECT_EQ(split.spectrum, whole.spectrum) << channels << " channels";
        EXPECT_EQ(whole.bass.size(), 62u);
        EXPECT_EQ(whole.spectrum.size(), 21u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Splits, BufferSplit,
    ::testing::Values(SplitCase{"OneSample", {1}}, SplitCase{"ThreeSamples", {3}},
                      SplitCase{"OddSizes", {1151, 7, 4095}},
                      SplitCase{"MidFrameThenWhole", {5, 2304}}, SplitCase{"DecoderSized", {2304}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

} // namespace
