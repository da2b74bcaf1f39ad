#pragma once

#include "analysis/AnalysisGeneration.h"

#include <cstdint>
#include <vector>

#include <QUrl>

class SampleSource;

// Band levels 0 … 1, lowest band first.
using SpectrumLevels = std::vector<float>;
// Frame j measures the mono samples j × F … (j + 1) × F - 1 of the track, at most 6000 frames.
using SpectrumFrames = std::vector<SpectrumLevels>;

// The analyzer's band count.
constexpr std::uint64_t spectrumBandCount = 16;

// 20 frames a second for tracks up to 300 s, exactly 6000 frames over longer ones; a duration
// below 0.1 s, negative or NaN counts as 0.1 s.
double spectrumFrameDurationForDuration(double duration);

// 16 zeros: what the analyzer shows when no measured frame applies.
SpectrumLevels emptySpectrumLevels();

// The levels of a block of mono samples, measured on its middle 1024 samples at most. Fewer
// than 32 samples, no samples or a rate that is not positive give `bandCount` zeros.
SpectrumLevels spectrumLevelsForSamples(const float* samples, std::uint64_t sampleCount,
                                        std::uint64_t bandCount, double sampleRate);

// Runs on an analysis thread. All channels are averaged into one. A frame duration that is not
// positive or a band count of 0 gives no frames without opening the track.
SpectrumFrames spectrumFramesForSource(SampleSource& source, double frameDuration,
                                       std::uint64_t bandCount,
                                       const AnalysisGeneration& generation);
SpectrumFrames spectrumFramesForURL(const QUrl& url, double frameDuration, std::uint64_t bandCount,
                                    const AnalysisGeneration& generation);
