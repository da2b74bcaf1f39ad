#pragma once

#include <cstdint>

#include <QString>

// Whole minutes and seconds as "mm:ss", rounding down; minutes run on past 59. A negative,
// not-a-number or huge time reads as 00:00 or as the largest time shown, never overflowing.
QString formatSeconds(double seconds);
// The whole seconds that formatSeconds shows.
std::uint64_t wholeSeconds(double seconds);
