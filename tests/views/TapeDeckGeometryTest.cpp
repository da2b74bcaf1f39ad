#include "views/TapeDeckGeometry.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

namespace {

struct ReelCase
{
    QSizeF viewSize;
    QPointF leftCentre;
    QPointF rightCentre;
    double radius;
};

void PrintTo(const ReelCase& c, std::ostream* out)
{
    *out << c.viewSize.width() << "x" << c.viewSize.height();
}

class ReelPlacement : public ::testing::TestWithParam<ReelCase>
{};

TEST_P(ReelPlacement, ScalesCentresByEachAxisAndTheRadiusByTheSmallerFactor)
{
    const ReelCase c = GetParam();
    const ReelGeometry left = reelGeometry(c.viewSize, {343, 315}, 31.0, 0.0);
    const ReelGeometry right = reelGeometry(c.viewSize, {496, 315}, 31.0, 0.0);
    EXPECT_NEAR(left.centre.x(), c.leftCentre.x(), 1e-9);
    EXPECT_NEAR(left.centre.y(), c.leftCentre.y(), 1e-9);
    EXPECT_NEAR(right.centre.x(), c.rightCentre.x(), 1e-9);
    EXPECT_NEAR(right.centre.y(), c.rightCentre.y(), 1e-9);
    EXPECT_NEAR(left.radius, c.radius, 1e-9);
    EXPECT_NEAR(right.radius, c.radius, 1e-9);
    EXPECT_NEAR(left.hubRadius, 0.12 * c.radius, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(ViewSizes, ReelPlacement,
                         ::testing::Values(ReelCase{{836, 471}, {343, 315}, {496, 315}, 31.0},
                                           ReelCase{{1672, 942}, {686, 630}, {992, 630}, 62.0},
                                           ReelCase{
                                               {836, 235.5}, {343, 157.5}, {496, 157.5}, 15.5}));

TEST(ReelGeometry, FirstSpokePointsRightAtRotationZeroTheOthersClockwise)
{
    const ReelGeometry reel = reelGeometry({836, 471}, {343, 315}, 31.0, 0.0);
    EXPECT_NEAR(reel.spokes[0].x1(), 343 + 8.68, 1e-9);
    EXPECT_NEAR(reel.spokes[0].y1(), 315, 1e-9);
    EXPECT_NEAR(reel.spokes[0].x2(), 343 + 26.66, 1e-9);
    EXPECT_NEAR(reel.spokes[0].y2(), 315, 1e-9);
    EXPECT_NEAR(reel.hubRadius, 3.72, 1e-9);
    // 120° clockwise on the screen: left and down, since y grows downwards.
    EXPECT_NEAR(reel.spokes[1].x2(), 343 - 26.66 * 0.5, 1e-9);
    EXPECT_NEAR(reel.spokes[1].y2(), 315 + 26.66 * std::sqrt(3.0) / 2, 1e-9);
    EXPECT_NEAR(reel.spokes[2].x2(), 343 - 26.66 * 0.5, 1e-9);
    EXPECT_NEAR(reel.spokes[2].y2(), 315 - 26.66 * std::sqrt(3.0) / 2, 1e-9);
}

TEST(ReelGeometry, AGrowingRotationTurnsTheSpokesClockwise)
{
    const ReelGeometry reel =
        reelGeometry({836, 471}, {496, 315}, 31.0, std::numbers::pi / 2 + 2 * std::numbers::pi);
    EXPECT_NEAR(reel.spokes[0].x1(), 496, 1e-9);
    EXPECT_NEAR(reel.spokes[0].y1(), 315 + 8.68, 1e-9);
    EXPECT_NEAR(reel.spokes[0].y2(), 315 + 26.66, 1e-9);
}

TEST(ReelGeometry, ARotationThatIsNotFiniteCountsAsZero)
{
    const ReelGeometry upright = reelGeometry({836, 471}, {343, 315}, 31.0, 0.0);
    for (double rotation :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        const ReelGeometry reel = reelGeometry({836, 471}, {343, 315}, 31.0, rotation);
        for (std::size_t k = 0; k < reel.spokes.size(); ++k)
            EXPECT_EQ(reel.spokes[k], upright.spokes[k]) << rotation << " spoke " << k;
    }
}

struct KeyCase
{
    double fx;
    double fy;
    const char* action; // nullptr: no key
};

void PrintTo(const KeyCase& c, std::ostream* out)
{
    *out << "fx " << c.fx << " fy " << c.fy;
}

class PanelKeys : public ::testing::TestWithParam<KeyCase>
{};

TEST_P(PanelKeys, MapTheKeyBandToTheTransportActions)
{
    const KeyCase c = GetParam();
    const char* action = tapeDeckKeyActionAt(c.fx, c.fy);
    if (!c.action) {
        EXPECT_EQ(action, nullptr) << (action ? action : "");
    } else {
        EXPECT_STREQ(action, c.action);
    }
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Clicks, PanelKeys,
    ::testing::Values(
        KeyCase{0.055, 0.84, "ejectButtonPressed"}, KeyCase{0.125, 1.0, "ejectButtonPressed"},
        KeyCase{0.245, 0.9, "previousButtonPressed"}, KeyCase{0.335, 0.9, "previousButtonPressed"},
        KeyCase{0.42, 0.9, "stopButtonPressed"},
        // Shared ends belong to the key on the left.
        KeyCase{0.505, 0.9, "stopButtonPressed"}, KeyCase{0.59, 0.9, "vintagePlayPausePressed"},
        KeyCase{0.675, 0.9, "nextButtonPressed"}, KeyCase{0.7, 0.95, "playlistButtonPressed"},
        KeyCase{0.755, 0.9, "playlistButtonPressed"},
        // Above the band, in the gaps, past the ends.
        KeyCase{0.505, 0.83, nullptr}, KeyCase{0.2, 0.9, nullptr}, KeyCase{0.38, 0.9, nullptr},
        KeyCase{0.05, 0.9, nullptr}, KeyCase{0.76, 0.9, nullptr}, KeyCase{notANumber, 0.9, nullptr},
        KeyCase{0.5, notANumber, nullptr}));

} // namespace
