#include "views/LEDMeterScale.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct ThresholdCase
{
    int segment;
    int segmentCount;
    float expected;
};

class SegmentThreshold : public ::testing::TestWithParam<ThresholdCase>
{};

TEST_P(SegmentThreshold, SpreadsEvenlyToMinusOneWithTheTopTwoFixed)
{
    const ThresholdCase c = GetParam();
    EXPECT_NEAR(decibelsForSegment(c.segment, c.segmentCount, -20.0f, 6.0f), c.expected, 1e-4)
        << "segment " << c.segment << " of " << c.segmentCount;
}

INSTANTIATE_TEST_SUITE_P(
    Segments, SegmentThreshold,
    ::testing::Values(ThresholdCase{0, 15, -20.0f}, ThresholdCase{1, 15, -18.4167f},
                      ThresholdCase{3, 15, -15.25f}, ThresholdCase{6, 15, -10.5f},
                      ThresholdCase{8, 15, -7.3333f}, ThresholdCase{11, 15, -2.5833f},
                      ThresholdCase{12, 15, -1.0f}, ThresholdCase{13, 15, 0.0f},
                      ThresholdCase{14, 15, 0.1f},
                      // Fewer than four segments: the spread collapses onto −1 dB.
                      ThresholdCase{0, 3, -1.0f}, ThresholdCase{0, 2, 0.0f},
                      ThresholdCase{0, 1, 0.1f}));

struct IndexCase
{
    float level;
    int expected;
};

class SegmentIndex : public ::testing::TestWithParam<IndexCase>
{};

TEST_P(SegmentIndex, IsTheHighestSegmentAtOrBelowTheLevel)
{
    const IndexCase c = GetParam();
    EXPECT_EQ(segmentIndexForLevel(c.level, 15, -20.0f, 6.0f), c.expected) << c.level << " dB";
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SegmentIndex,
    ::testing::Values(IndexCase{-60.0f, 0}, IndexCase{-20.0f, 0}, IndexCase{-18.5f, 0},
                      IndexCase{decibelsForSegment(1, 15, -20.0f, 6.0f), 1}, IndexCase{-10.5f, 6},
                      IndexCase{-1.01f, 11}, IndexCase{-0.5f, 12}, IndexCase{0.0f, 13},
                      IndexCase{0.09f, 13}, IndexCase{0.1f, 14}, IndexCase{6.0f, 14},
                      IndexCase{std::numeric_limits<float>::quiet_NaN(), 0}));

TEST(SegmentIndex, IsZeroWithoutSegments)
{
    EXPECT_EQ(segmentIndexForLevel(3.0f, 0, -20.0f, 6.0f), 0);
    EXPECT_EQ(segmentIndexForLevel(3.0f, -4, -20.0f, 6.0f), 0);
}

TEST(SegmentColor, IsGreenThenAmberThenRedAndFaintWhenDark)
{
    const struct
    {
        int segment;
        QColor lit;
    } cases[] = {{0, QColor::fromRgbF(0.18f, 0.72f, 0.32f)},
                 {12, QColor::fromRgbF(0.18f, 0.72f, 0.32f)},
                 {13, QColor::fromRgbF(0.96f, 0.70f, 0.20f)},
                 {14, QColor::fromRgbF(0.92f, 0.22f, 0.18f)}};
    for (const auto& c : cases) {
        const QColor lit = colorForSegment(c.segment, 15, true);
        const QColor dark = colorForSegment(c.segment, 15, false);
        EXPECT_EQ(lit.rgb(), c.lit.rgb()) << "segment " << c.segment;
        EXPECT_EQ(dark.rgb(), c.lit.rgb()) << "segment " << c.segment;
        EXPECT_NEAR(lit.alphaF(), 0.84, 1e-3);
        EXPECT_NEAR(dark.alphaF(), 0.14, 1e-3);
    }
}

TEST(MeterGeometry, CentresTheRowsBelowAMarginOfTwo)
{
    EXPECT_EQ(meterRowTop(28.0), 2.0);
    EXPECT_EQ(meterRowTop(40.0), 8.0);
    EXPECT_EQ(meterRowTop(41.0), 8.0);
    EXPECT_EQ(meterRowTop(10.0), 2.0);
    EXPECT_EQ(meterRowTop(0.0), 2.0);
}

TEST(MeterGeometry, SegmentsFollowTheLabelColumnTwoPointsApart)
{
    EXPECT_EQ(meterSegmentWidth(250.0), 13.0);
    EXPECT_EQ(meterSegmentWidth(60.0), 1.0);
    EXPECT_LT(meterSegmentWidth(0.0), 2.0);

    const QRectF row(0, 2, 250, 10);
    EXPECT_EQ(meterSegmentRect(row, 13.0, 0), QRectF(14, 2, 13, 10));
    EXPECT_EQ(meterSegmentRect(row, 13.0, 1), QRectF(29, 2, 13, 10));
    EXPECT_EQ(meterSegmentRect(row, 13.0, 14).right(), 237.0);
    EXPECT_EQ(meterSegmentRect(QRectF(5, 16, 250, 10), 13.0, 2), QRectF(49, 16, 13, 10));
}

} // namespace
