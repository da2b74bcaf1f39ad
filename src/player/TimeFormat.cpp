#include "player/TimeFormat.h"

#include "analysis/BoundedCount.h"

#include <cstdio>

namespace {

// Far beyond any track, and small enough to convert to a 64-bit integer safely.
constexpr std::uint64_t largestSeconds = 1'000'000'000'000'000;

} // namespace

std::uint64_t wholeSeconds(double seconds)
{
    return boundedCount(seconds, 0, largestSeconds);
}

QString formatSeconds(double seconds)
{
    const std::uint64_t whole = wholeSeconds(seconds);
    const std::uint64_t minutes = whole / 60;
    // Formatted on every tick of the clock: one buffer, where QString::arg would build three.
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu", static_cast<unsigned long long>(minutes),
                  static_cast<unsigned long long>(whole - 60 * minutes));
    return QString::fromLatin1(text);
}
