#include "player/TimeFormat.h"

#include "analysis/BoundedCount.h"

namespace {

// Far beyond any track, and small enough to convert to a 64-bit integer safely.
constexpr std::uint64_t largestSeconds = 1'000'000'000'000'000;

} // namespace

QString formatSeconds(double seconds)
{
    const std::uint64_t whole = boundedCount(seconds, 0, largestSeconds);
    const std::uint64_t minutes = whole / 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(whole - 60 * minutes, 2, 10, QLatin1Char('0'));
}
