#pragma once

#include <functional>

// Repetitions behind every figure.
constexpr int benchRepetitions = 5;

// One figure as "name: value unit"; the unit may be empty.
void printFigure(const char* name, double value, const char* unit);

// The fastest of several runs, in seconds: the least disturbed by whatever else the machine
// does. NaN when a run fails.
double bestSeconds(const std::function<bool()>& run);
