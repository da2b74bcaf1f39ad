#include "views/TransportIcons.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

const QPointF centre(17, 14);

QFont glyphFont()
{
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

struct IconCase
{
    TransportIconType type;
    std::vector<QPointF> inside;  // offsets from the centre
    std::vector<QPointF> outside; // offsets from the centre
};

void PrintTo(const IconCase& c, std::ostream* out)
{
    *out << "icon " << static_cast<std::int64_t>(c.type);
}

class TransportIconShape : public ::testing::TestWithParam<IconCase>
{};

TEST_P(TransportIconShape, CoversItsShapesAroundTheCentre)
{
    const IconCase c = GetParam();
    const QPainterPath path = transportIconPath(c.type, centre, glyphFont());
    for (const QPointF& offset : c.inside)
        EXPECT_TRUE(path.contains(centre + offset)) << offset.x() << "," << offset.y();
    for (const QPointF& offset : c.outside)
        EXPECT_FALSE(path.contains(centre + offset)) << offset.x() << "," << offset.y();
    EXPECT_TRUE(transportLoopRingPath(c.type, centre).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Icons, TransportIconShape,
    ::testing::Values(IconCase{TransportIconType::Stop,
                               {{0, 0}, {-5.5, 0}, {5.5, 5.5}, {-5.5, -5.5}},
                               {{6.5, 0}, {0, -6.5}, {-6, -6}}},
                      IconCase{TransportIconType::Play,
                               {{-4, 0}, {6, 0}, {0, -4}, {-4.5, 6.5}},
                               {{-6, 0}, {7.5, 0}, {0, -5}, {3, 5}}},
                      IconCase{TransportIconType::Pause,
                               {{-4, 0}, {4, 0}, {-5.5, 6.5}, {5.5, -6.5}},
                               {{0, 0}, {-6.5, 0}, {6.5, 0}, {-4, 7.5}}},
                      IconCase{TransportIconType::Previous,
                               {{-7.5, 0}, {-7.5, 6.5}, {-3, 0}, {4, 0}, {7.5, -6}},
                               {{-9.5, 0}, {-5.5, -5}, {8.5, 0}, {4, 5}}},
                      IconCase{TransportIconType::Next,
                               {{7.5, 0}, {7.5, 6.5}, {3, 0}, {-4, 0}, {-7.5, -6}},
                               {{9.5, 0}, {5.5, -5}, {-8.5, 0}, {-4, 5}}},
                      IconCase{TransportIconType::Playlist,
                               {{-7.5, -5.5}, {0, -5.5}, {-7.5, 1.5}, {8, 1.5}, {0, 8.5}},
                               {{0, -2}, {0, 5}, {-5, 1.5}, {-9.5, 1.5}, {0, 10.5}}},
                      IconCase{TransportIconType::Eject,
                               {{0, 0}, {0, -6}, {-6, 1.5}, {0, 6.5}, {-7.5, 7.5}},
                               {{0, 3.5}, {-8.5, 6.5}, {-4, -5}, {0, 8.5}}}));

TEST(TransportIcons, ValuesOutsideTheListDrawTheStopSquare)
{
    const QPainterPath stop = transportIconPath(TransportIconType::Stop, centre, glyphFont());
    for (std::int64_t value : {std::int64_t{-1}, std::int64_t{10}, std::int64_t{1} << 40}) {
        const auto type = static_cast<TransportIconType>(value);
        EXPECT_EQ(transportIconPath(type, centre, glyphFont()), stop) << value;
        EXPECT_TRUE(transportLoopRingPath(type, centre).isEmpty()) << value;
    }
}

TEST(TransportIcons, LoopIconsCentreTheirGlyphInsideTheRing)
{
    const struct
    {
        TransportIconType type;
        QString glyph;
    } cases[] = {{TransportIconType::LoopA, QStringLiteral("A")},
                 {TransportIconType::LoopB, QStringLiteral("B")},
                 {TransportIconType::LoopClear, QString(QChar(0x00D7))}};
    for (const auto& c : cases) {
        EXPECT_EQ(transportLoopGlyph(c.type), c.glyph);
        const QRectF box = transportIconPath(c.type, centre, glyphFont()).boundingRect();
        ASSERT_FALSE(box.isEmpty()) << c.glyph.toStdString();
        EXPECT_NEAR(box.center().x(), centre.x(), 1.5) << c.glyph.toStdString();
        EXPECT_NEAR(box.center().y(), centre.y(), 2.5) << c.glyph.toStdString();
        // Clear of the ring's inner edge at radius 9.2.
        EXPECT_LT(QLineF(centre, box.topLeft()).length(), 9.2) << c.glyph.toStdString();
        EXPECT_LT(QLineF(centre, box.bottomRight()).length(), 9.2) << c.glyph.toStdString();
    }
    EXPECT_TRUE(transportLoopGlyph(TransportIconType::Play).isEmpty());
}

TEST(TransportIcons, LoopRingRunsClockwiseFrom35To320Degrees)
{
    const QPainterPath ring = transportLoopRingPath(TransportIconType::LoopA, centre);
    const QPointF start = ring.pointAtPercent(0.0) - centre;
    const QPointF end = ring.pointAtPercent(1.0) - centre;
    EXPECT_NEAR(start.x(), 8.19, 0.01);
    EXPECT_NEAR(start.y(), 5.74, 0.01);
    EXPECT_NEAR(end.x(), 7.66, 0.01);
    EXPECT_NEAR(end.y(), -6.43, 0.01);
    // Below, left of and above the centre, at the shares of its 285° that lead there.
    const struct
    {
        double degrees;
        QPointF point;
    } passes[] = {{90.0, {0, 10}}, {180.0, {-10, 0}}, {270.0, {0, -10}}};
    for (const auto& pass : passes) {
        const QPointF point = ring.pointAtPercent((pass.degrees - 35.0) / 285.0) - centre;
        EXPECT_NEAR(point.x(), pass.point.x(), 0.1) << pass.degrees;
        EXPECT_NEAR(point.y(), pass.point.y(), 0.1) << pass.degrees;
    }
    for (int step = 0; step <= 100; ++step) {
        const QPointF point = ring.pointAtPercent(step / 100.0) - centre;
        EXPECT_NEAR(std::hypot(point.x(), point.y()), 10.0, 0.05) << step;
        const double degrees = std::atan2(point.y(), point.x()) * 180.0 / std::numbers::pi;
        EXPECT_FALSE(degrees > -39.9 && degrees < 34.9) << step << " at " << degrees;
    }
    EXPECT_EQ(transportLoopRingPath(TransportIconType::LoopClear, centre), ring);
}

} // namespace
