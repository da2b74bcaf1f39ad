#pragma once

#include "analysis/AnalysisGeneration.h"

#include <array>
#include <cstdint>
#include <vector>

#include <QUrl>

class SampleSource;

// The bass level of silence, and the floor of every level the meter is given.
inline constexpr float silenceDecibels = -60.0f;

// Left and right low-frequency peak of one frame in dB, silenceDecibels meaning silence or below.
using BassMeterFrame = std::array<float, 2>;
// Frame j covers sample frames j × F … (j + 1) × F - 1 of the track, at most 12000 frames.
using BassMeterFrames = std::vector<BassMeterFrame>;

// 60 frames a second for tracks up to 200 s, exactly 12000 frames over longer ones; a
// duration below 0.1 s, negative or NaN counts as 0.1 s.
double bassMeterFrameDurationForDuration(double duration);

// 20·log10(amplitude) + 2, never below -60 (single precision). The +2 dB lift is the meter's
// calibration: a full-scale filtered peak reads +2 dB.
float decibelsForAmplitude(float amplitude);

// Runs on an analysis thread. Each channel passes a one-pole low-pass at 180 Hz that runs
// over the whole track; a frame holds the peak of its filtered samples. A frame duration that
// is not positive gives no frames without opening the track.
BassMeterFrames bassMeterFramesForSource(SampleSource& source, double frameDuration,
                                         const AnalysisGeneration& generation);
BassMeterFrames bassMeterFramesForURL(const QUrl& url, double frameDuration,
                                      const AnalysisGeneration& generation);
