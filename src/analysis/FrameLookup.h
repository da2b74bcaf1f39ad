#pragma once

#include <cstddef>

// The frame that covers `time` in a list of `frameCount` frames of `frameDuration` seconds:
// floor(time / frameDuration), limited to the last frame. A negative or not-a-number time
// reads frame 0, a time past the end (infinite included) the last frame. `frameCount` > 0 and
// `frameDuration` > 0.
std::size_t frameIndexForTime(double time, double frameDuration, std::size_t frameCount);
