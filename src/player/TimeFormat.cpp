#include "player/TimeFormat.h"

#include <cmath>
#include <cstdint>

namespace {

// Far beyond any track, and small enough to convert to a 64-bit integer safely.
constexpr double largestSeconds = 1e15;

} // namespace

QString formatSeconds(double seconds)
{
    if (!(seconds > 0.0))
        seconds = 0.0;
    const auto whole = static_cast<std::int64_t>(std::floor(std::min(seconds, largestSeconds)));
    const std::int64_t minutes = whole / 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(whole - 60 * minutes, 2, 10, QLatin1Char('0'));
}
