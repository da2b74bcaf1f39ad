#include "player/TimeFormat.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

TEST(TimeFormatTest, ShowsWholeMinutesAndSecondsRoundedDown)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00"},    {59.99, "00:59"}, {60.0, "01:00"},        {185.4, "03:05"},
        {3725.9, "62:05"}, {-3.0, "00:00"},  {std::nan(""), "00:00"}};
    for (const auto& [seconds, shown] : cases)
        EXPECT_EQ(formatSeconds(seconds), QLatin1String(shown)) << seconds;
    // Beyond any integer: UndefinedBehaviorSanitizer fails an unguarded conversion here.
    EXPECT_EQ(formatSeconds(HUGE_VAL), formatSeconds(1e300));
    EXPECT_NE(formatSeconds(1e300), QStringLiteral("00:00"));
}

} // namespace
