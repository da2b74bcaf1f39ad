#pragma once

#include <vector>

// The spectrum analyzer's peak caps after one update: a cap rises to its band's level at once
// and otherwise falls 1/60 per update (through the whole height in a second at 60 updates per
// second), never below the level. The result is as long as the longer list, a missing entry
// counting as 0, and limited to 0…1. A level that is not a number lets the cap fall.
std::vector<double> peakHoldLevelsFrom(const std::vector<double>& peaks,
                                       const std::vector<float>& levels);
