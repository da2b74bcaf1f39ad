#include "analysis/FrameLookup.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct LookupCase
{
    double time;
    std::size_t expected;
};

class FrameIndex : public ::testing::TestWithParam<LookupCase>
{};

TEST_P(FrameIndex, IsTheFrameCoveringTheTimeWithinTheList)
{
    // Ten frames of 0.1 s.
    EXPECT_EQ(frameIndexForTime(GetParam().time, 0.1, 10), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Times, FrameIndex,
                         ::testing::Values(LookupCase{0.0, 0}, LookupCase{0.25, 2},
                                           LookupCase{0.95, 9}, LookupCase{1.0, 9},
                                           LookupCase{500.0, 9}, LookupCase{-3.0, 0},
                                           LookupCase{std::nan(""), 0},
                                           LookupCase{std::numeric_limits<double>::infinity(), 9},
                                           LookupCase{1e300, 9}));

TEST(FrameIndex, ASingleFrameServesEveryTime)
{
    EXPECT_EQ(frameIndexForTime(7.0, 0.5, 1), 0u);
}

} // namespace
