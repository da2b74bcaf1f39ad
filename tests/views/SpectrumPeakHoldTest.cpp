#include "views/SpectrumPeakHold.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

struct PeakCase
{
    const char* name;
    std::vector<double> peaks;
    std::vector<float> levels;
    std::vector<double> expected;
};

void PrintTo(const PeakCase& c, std::ostream* out)
{
    *out << c.name;
}

class SpectrumPeakHold : public ::testing::TestWithParam<PeakCase>
{};

TEST_P(SpectrumPeakHold, RisesAtOnceAndFallsOneSixtiethPerUpdate)
{
    const PeakCase c = GetParam();
    const std::vector<double> peaks = peakHoldLevelsFrom(c.peaks, c.levels);
    ASSERT_EQ(peaks.size(), c.expected.size());
    for (std::size_t i = 0; i < peaks.size(); ++i)
        EXPECT_NEAR(peaks[i], c.expected[i], 1e-6) << "band " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Updates, SpectrumPeakHold,
    ::testing::Values(PeakCase{"rise", {0.5}, {0.7f}, {0.7}},
                      PeakCase{"fall", {0.5}, {0.2f}, {0.5 - 1.0 / 60}},
                      PeakCase{"fallStopsAtLevel", {0.5}, {0.49f}, {0.49}},
                      PeakCase{"notANumberFalls", {1.0}, {notANumber}, {1.0 - 1.0 / 60}},
                      PeakCase{"limitedToOne", {0.2}, {1.3f}, {1.0}},
                      PeakCase{"limitedToZero", {0.01}, {-0.2f}, {0.0}},
                      PeakCase{"missingLevelsCountAsZero",
                               {0.5, 0.5, 0.5},
                               {0.6f},
                               {0.6, 0.5 - 1.0 / 60, 0.5 - 1.0 / 60}},
                      PeakCase{
                          "missingPeaksCountAsZero", {0.5}, {0.2f, 0.3f}, {0.5 - 1.0 / 60, 0.3}},
                      PeakCase{"empty", {}, {}, {}}));

TEST(SpectrumPeakHold, ACapFallsThroughTheWholeHeightInSixtyUpdates)
{
    std::vector<double> peaks = peakHoldLevelsFrom({}, {1.0f});
    for (int update = 1; update <= 60; ++update) {
        peaks = peakHoldLevelsFrom(peaks, {0.0f});
        ASSERT_NEAR(peaks[0], std::max(0.0, 1.0 - update / 60.0), 1e-9) << update;
    }
    EXPECT_EQ(peaks[0], 0.0);
}

} // namespace
