#include "views/SpectrumGeometry.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

TEST(SpectrumGeometry, BarsAreAsWideAsTheWidthAllowsWithGapsOfTwo)
{
    EXPECT_EQ(spectrumBarWidth(300.0, 16), 16.0);
    EXPECT_EQ(spectrumBarWidth(62.0, 16), 2.0);
    EXPECT_EQ(spectrumBarWidth(61.0, 16), 1.0);
    EXPECT_LT(spectrumBarWidth(0.0, 16), 2.0);
    EXPECT_EQ(spectrumBarWidth(100.0, 0), 100.0);
    EXPECT_EQ(spectrumBarWidth(100.0, 1), 100.0);
}

TEST(SpectrumGeometry, BarsStandOnTheLineFourAboveTheBottom)
{
    EXPECT_EQ(spectrumBarRect(0, 16.0, 84.0, 1.0), QRectF(0, 4, 16, 76));
    EXPECT_EQ(spectrumBarRect(15, 16.0, 84.0, 0.5), QRectF(270, 42, 16, 38));
    EXPECT_EQ(spectrumBarRect(15, 16.0, 84.0, 0.5).right(), 286.0);
    EXPECT_EQ(spectrumBarRect(1, 16.0, 84.0, 0.0), QRectF(18, 79, 16, 1));
}

TEST(SpectrumGeometry, LevelsOutsideTheScaleDrawAsItsEnds)
{
    const struct
    {
        double level;
        double height;
    } cases[] = {{1.3, 76.0},
                 {-0.2, 1.0},
                 {std::numeric_limits<double>::quiet_NaN(), 1.0},
                 {std::numeric_limits<double>::infinity(), 76.0},
                 {0.001, 1.0}};
    for (const auto& c : cases)
        EXPECT_EQ(spectrumBarRect(2, 16.0, 84.0, c.level).height(), c.height) << c.level;
}

TEST(SpectrumGeometry, ALowViewStillShowsOnePointBars)
{
    EXPECT_EQ(spectrumBarRect(0, 10.0, 6.0, 1.0), QRectF(0, 1, 10, 1));
}

TEST(SpectrumGeometry, HueRunsFromGreenToOrange)
{
    EXPECT_DOUBLE_EQ(spectrumBarHue(0, 16), 0.34);
    EXPECT_DOUBLE_EQ(spectrumBarHue(15, 16), 0.12);
    EXPECT_DOUBLE_EQ(spectrumBarHue(5, 11), 0.23);
    EXPECT_DOUBLE_EQ(spectrumBarHue(0, 1), 0.34);
    EXPECT_DOUBLE_EQ(spectrumBarHue(0, 0), 0.34);
}

TEST(SpectrumGeometry, PeakCapLiesOnAPixelRowInsideTheBar)
{
    const QRectF bar(18, 79, 16, 1);
    EXPECT_EQ(spectrumPeakCapLine(bar, 84.0, 1.0), QLineF(19, 4.5, 33, 4.5));
    EXPECT_EQ(spectrumPeakCapLine(bar, 84.0, 0.5), QLineF(19, 42.5, 33, 42.5));
    // 6 − 2 × 0.25 = 5.5 rounds away from zero.
    EXPECT_EQ(spectrumPeakCapLine(bar, 10.0, 0.25), QLineF(19, 6.5, 33, 6.5));
    EXPECT_EQ(spectrumPeakCapLine(bar, 84.0, 1.7), QLineF(19, 4.5, 33, 4.5));
}

TEST(SpectrumGeometry, NoCapAtOrBelowTwoHundredths)
{
    const QRectF bar(0, 79, 16, 1);
    EXPECT_FALSE(spectrumPeakCapLine(bar, 84.0, 0.02));
    EXPECT_FALSE(spectrumPeakCapLine(bar, 84.0, 0.0));
    EXPECT_FALSE(spectrumPeakCapLine(bar, 84.0, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(spectrumPeakCapLine(bar, 84.0, 0.0201));
}

} // namespace
