#include "player/TimeFormat.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct FormatCase
{
    double seconds;
    const char* expected;
};

class FormatSeconds : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(FormatSeconds, ShowsWholeMinutesAndSecondsRoundedDown)
{
    EXPECT_EQ(formatSeconds(GetParam().seconds).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Times, FormatSeconds,
    ::testing::Values(FormatCase{0.0, "00:00"}, FormatCase{59.99, "00:59"},
                      FormatCase{60.0, "01:00"}, FormatCase{185.4, "03:05"},
                      FormatCase{62 * 60 + 5.9, "62:05"}, FormatCase{-3.0, "00:00"},
                      FormatCase{std::nan(""), "00:00"},
                      FormatCase{std::numeric_limits<double>::infinity(), "16666666666666:40"},
                      FormatCase{1e300, "16666666666666:40"}));

} // namespace
