#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// The left channel of an interleaved stereo recording from its first to its last frame above
// −60 dBFS, and the longest silence in between in frames: what a listener hears as a gap.
std::pair<std::vector<float>, std::size_t> audiblePart(const std::vector<float>& stereo);
