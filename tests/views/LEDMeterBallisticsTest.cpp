#include "views/LEDMeterBallistics.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

struct StepCase
{
    const char* name;
    float current;
    float target;
    float expected;
};

void PrintTo(const StepCase& c, std::ostream* out)
{
    *out << c.name;
}

class Smoothing : public ::testing::TestWithParam<StepCase>
{};

TEST_P(Smoothing, RisesAtOnceAndFallsFourThirdsDbPerUpdate)
{
    const StepCase c = GetParam();
    EXPECT_NEAR(smoothedLevelFrom(c.current, c.target), c.expected, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Smoothing,
    ::testing::Values(StepCase{"attack", -10.0f, -5.0f, -5.0f},
                      StepCase{"steady", -10.0f, -10.0f, -10.0f},
                      StepCase{"release", -5.0f, -10.0f, -6.3333334f},
                      StepCase{"releaseStopsAtTarget", -5.0f, -5.5f, -5.5f},
                      StepCase{"dropOutBelow", -10.0f, -59.6f, -60.0f},
                      StepCase{"dropOutAt", -10.0f, -59.5f, -60.0f},
                      StepCase{"noDropOutAbove", -58.0f, -59.4f, -59.3333334f},
                      StepCase{"notANumberFalls", -10.0f, notANumber, -11.3333334f},
                      StepCase{"minusInfinityDropsOut", 2.0f, -infinity, -60.0f}));

class PeakHold : public ::testing::TestWithParam<StepCase>
{};

TEST_P(PeakHold, RisesAtOnceAndFallsOneSixthDbPerUpdate)
{
    const StepCase c = GetParam();
    EXPECT_NEAR(peakHoldLevelFrom(c.current, c.target), c.expected, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PeakHold,
    ::testing::Values(StepCase{"rise", -10.0f, 1.0f, 1.0f},
                      StepCase{"fall", 2.0f, -10.0f, 1.8333333f},
                      StepCase{"fallStopsAtTarget", -10.0f, -10.1f, -10.1f},
                      // A target that drops out counts as −60, which the peak falls towards.
                      StepCase{"dropOutTargetFalls", -10.0f, -59.6f, -10.1666667f},
                      StepCase{"dropOutTargetIsFloor", -59.9f, -59.6f, -60.0f},
                      StepCase{"notANumberFalls", 0.0f, notANumber, -0.1666667f}));

} // namespace
