#pragma once

#include <cstdint>

// `value` truncated to a count within minimum … maximum. NaN counts as the minimum, so that no
// duration or rate, however broken, reaches an integer conversion out of range.
inline std::uint64_t boundedCount(double value, std::uint64_t minimum, std::uint64_t maximum)
{
    if (!(value >= static_cast<double>(minimum)))
        return minimum;
    if (value >= static_cast<double>(maximum))
        return maximum;
    return static_cast<std::uint64_t>(value);
}
