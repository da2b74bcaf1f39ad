#pragma once

#include "analysis/AnalysisGeneration.h"

#include <cstdint>
#include <vector>

#include <QUrl>

class SampleSource;

// The largest absolute sample per bin and side, 0 … 1 (1 is full scale, nothing is
// normalised); bin 0 is the start of the track. Both sides have the bin count asked for.
struct WaveformPeaks
{
    std::vector<float> left;
    std::vector<float> right;
};

// 600 bins a second, at least 600 and at most 36000; a duration below 1 s, negative or NaN
// counts as 1 s.
std::uint64_t waveformBinCountForDuration(double duration);

// Runs on an analysis thread. A bin count of 0 gives two empty sides without opening the track;
// a track that cannot be read gives zeros; a superseded generation the bins filled so far.
WaveformPeaks waveformPeaksForSource(SampleSource& source, std::uint64_t binCount,
                                     const AnalysisGeneration& generation);
WaveformPeaks waveformPeaksForURL(const QUrl& url, std::uint64_t binCount,
                                  const AnalysisGeneration& generation);
