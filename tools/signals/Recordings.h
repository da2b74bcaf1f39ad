#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

// The left channel of an interleaved stereo recording from its first to its last frame above
// −60 dBFS, and the longest silence in between in frames: what a listener hears as a gap.
std::pair<std::vector<float>, std::size_t> audiblePart(const std::vector<float>& stereo);

// The peak of the left channel in each 10 ms of a stereo recording at 44.1 kHz.
std::vector<float> windowPeaks(const std::vector<float>& stereo);
// The first and the last frame of an interleaved stereo recording with a sample above `level`,
// or -1.
std::int64_t firstFrameAbove(const std::vector<float>& stereo, float level);
std::int64_t lastFrameAbove(const std::vector<float>& stereo, float level);
// The root mean square of the samples; 0 for none.
double rms(std::span<const float> samples);
// The root mean square of the left channel over `frames` frames from `first`.
double rmsOfLeft(const std::vector<float>& stereo, std::size_t first, std::size_t frames);
// How often the samples change sign: twice a sine's frequency a second.
std::size_t zeroCrossings(std::span<const float> samples);
// The largest step between two frames of the left channel, over frames [first, end): a click
// shows as a step far above a sine's own. With the frame it steps to, where it was heard.
std::pair<std::size_t, double> largestStepAt(const std::vector<float>& stereo,
                                             std::size_t first = 0, std::size_t end = SIZE_MAX);
double largestStep(const std::vector<float>& stereo, std::size_t first = 0,
                   std::size_t end = SIZE_MAX);
