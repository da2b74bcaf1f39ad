#pragma once

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"
#include "support/PcmSampleSource.h"

#include <gtest/gtest.h>

struct TrackAnalyses
{
    WaveformPeaks peaks;
    BassMeterFrames bass;
    SpectrumFrames spectrum;
};

// The analyses as a load runs them: sized by the stated duration, each on a copy of the source
// (each decodes the file on its own), each with the generation the counter holds as it starts.
inline TrackAnalyses analyseTrack(const PcmSampleSource& source,
                                  const std::shared_ptr<AnalysisGeneration::Counter>& counter =
                                      std::make_shared<AnalysisGeneration::Counter>(1))
{
    const double duration = source.duration();
    PcmSampleSource waveform = source;
    PcmSampleSource bass = source;
    PcmSampleSource spectrum = source;
    return {waveformPeaksForSource(waveform, waveformBinCountForDuration(duration),
                                   AnalysisGeneration(counter)),
            bassMeterFramesForSource(bass, bassMeterFrameDurationForDuration(duration),
                                     AnalysisGeneration(counter)),
            spectrumFramesForSource(spectrum, spectrumFrameDurationForDuration(duration),
                                    spectrumBandCount, AnalysisGeneration(counter))};
}

inline void expectSameAnalyses(const TrackAnalyses& actual, const TrackAnalyses& expected)
{
    EXPECT_EQ(actual.peaks.left, expected.peaks.left);
    EXPECT_EQ(actual.peaks.right, expected.peaks.right);
    EXPECT_EQ(actual.bass, expected.bass);
    EXPECT_EQ(actual.spectrum, expected.spectrum);
}
