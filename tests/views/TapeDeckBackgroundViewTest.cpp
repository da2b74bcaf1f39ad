#include "views/TapeDeckBackgroundView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"
#include "views/TapeDeckGeometry.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <tuple>

#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

const QColor ground = QColor::fromRgbF(0.035f, 0.037f, 0.038f);

// Artwork of one colour as it shows: at 82 % over the ground.
QColor panel(QColor artwork)
{
    artwork.setAlphaF(0.82f);
    return over(artwork, ground);
}

TEST(TapeDeckBackgroundView, StandardIsTheWindowColourVintageTheGroundWithSpokesWhileAnimating)
{
    // size; points on the first spoke of each reel at rotation 0 and left of the left hub; a
    // point on the left reel's first spoke turned a quarter clockwise
    const std::tuple<QSize, std::vector<QPoint>, QPoint> sizes[] = {
        {{836, 471}, {{360, 314}, {513, 314}, {339, 315}}, {342, 332}},
        {{1672, 942}, {{721, 629}, {1027, 629}, {678, 630}}, {685, 665}}};
    for (const auto& [size, points, turnedDown] : sizes) {
        TapeDeckBackgroundView view;
        view.setPanelImage(nullptr);
        view.setReelsAnimating(true);
        for (const PaletteRendering& r : renderInBothPalettes(view, size))
            for (int y = 0; y < size.height(); y += 7)
                for (int x = 0; x < size.width(); x += 7)
                    ASSERT_EQ(r.image.pixelColor(x, y), r.palette.color(QPalette::Window))
                        << r.name << " " << x << "," << y;
        view.setVintageEnabled(true);
        view.setReelsAnimating(false);
        const QImage still = renderWidget(view, size);
        view.setReelsAnimating(true);
        const QImage turning = renderWidget(view, size);
        for (const QPoint p : points) {
            EXPECT_TRUE(colorNear(still.pixelColor(p), ground)) << p.x() << "," << p.y();
            EXPECT_GT(turning.pixelColor(p).red(), ground.red() + 12) << p.x() << "," << p.y();
        }
        view.setReelRotation(std::numbers::pi / 2);
        const QImage turned = renderWidget(view, size);
        EXPECT_TRUE(colorNear(turned.pixelColor(points[0]), ground));
        EXPECT_GT(turned.pixelColor(turnedDown).red(), ground.red() + 12);
    }
}

TEST(TapeDeckBackgroundView, ArtworkIsStretchedAt82PercentUnderTheFrame)
{
    const QByteArray halves("<svg xmlns='http://www.w3.org/2000/svg' width='836' height='471'>"
                            "<rect width='418' height='471' fill='red'/>"
                            "<rect x='418' width='418' height='471' fill='blue'/></svg>");
    TapeDeckBackgroundView view;
    view.setPanelImage(std::make_unique<QSvgRenderer>(halves));
    view.setVintageEnabled(true);
    const QColor red = panel(Qt::red);
    const QColor blue = panel(Qt::blue);
    // Corner to corner at another aspect ratio: a kept ratio would leave bands of bare ground.
    const QImage image = renderWidget(view, {418, 300});
    for (const QPoint p : {QPoint(100, 150), QPoint(12, 3), QPoint(206, 298)})
        EXPECT_TRUE(colorNear(image.pixelColor(p), red)) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(300, 150), QPoint(212, 2), QPoint(406, 297)})
        EXPECT_TRUE(colorNear(image.pixelColor(p), blue)) << p.x() << "," << p.y();
    // The frame line inset by 7 covers half of pixel column 7 in 24 % black.
    const QColor halfFrame = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.12f);
    EXPECT_TRUE(colorNear(image.pixelColor(7, 150), over(halfFrame, red), 3) &&
                colorNear(image.pixelColor(410, 150), over(halfFrame, blue), 3));
    // Too small for the frame, a view shows the artwork to its edges.
    const QImage small = renderWidget(view, {13, 14});
    for (int y = 0; y < 14; ++y)
        EXPECT_TRUE(colorNear(small.pixelColor(0, y), red, 3) &&
                    colorNear(small.pixelColor(12, y), blue, 3))
            << y;
    // Artwork changed behind the view's back shows once the size or the pixel ratio changes.
    view.panelImage()->load(QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>"));
    EXPECT_TRUE(colorNear(renderWidget(view, {420, 300}).pixelColor(100, 150), ground));
    view.panelImage()->load(halves);
    EXPECT_TRUE(colorNear(renderWidget(view, {420, 300}, 2.0).pixelColor(200, 300), red));
}

TEST(TapeDeckBackgroundView, KeysSendOnMouseDownToALiveTargetInTheVintageDesignOnly)
{
    auto recorder = std::make_unique<ActionRecorder>();
    QObject* const willing = recorder.get();
    // design, target, button, x and y in a view of 1000 × 200, action (nullptr: handed on)
    const std::tuple<bool, QObject*, Qt::MouseButton, int, int, const char*> clicks[] = {
        {true, willing, Qt::LeftButton, 505, 180, "stopButtonPressed"},
        {true, willing, Qt::LeftButton, 590, 180, "vintagePlayPausePressed"},
        {true, willing, Qt::LeftButton, 675, 180, "nextButtonPressed"},
        {true, willing, Qt::LeftButton, 590, 166, nullptr},
        {true, willing, Qt::RightButton, 590, 180, nullptr},
        {false, willing, Qt::LeftButton, 590, 180, nullptr}};
    TapeDeckBackgroundView view;
    view.resize(1000, 200);
    for (const auto& [vintage, target, button, x, y, action] : clicks) {
        recorder->calls.clear();
        view.setVintageEnabled(vintage);
        view.setTransportTarget(target);
        EXPECT_EQ(sendMouse(view, QEvent::MouseButtonPress, QPointF(x, y), button, button),
                  action != nullptr)
            << x << "," << y;
        const ActionRecorder::Calls sent{{action, &view}};
        EXPECT_EQ(recorder->calls, action ? sent : ActionRecorder::Calls{}) << x << "," << y;
    }
    // A target that is gone is forgotten.
    view.setTransportTarget(willing);
    recorder.reset();
    EXPECT_EQ(view.transportTarget(), nullptr);
    EXPECT_FALSE(sendMouse(view, QEvent::MouseButtonPress, QPointF(590, 180)));
}

TEST(TapeDeckGeometry, ReelsScaleCentresByEachAxisAndTheRadiusByTheSmallerFactor)
{
    // view size, left and right centre, radius
    const std::tuple<QSizeF, QPointF, QPointF, double> sizes[] = {
        {{836, 471}, {343, 315}, {496, 315}, 31.0},
        {{1672, 942}, {686, 630}, {992, 630}, 62.0},
        {{836, 235.5}, {343, 157.5}, {496, 157.5}, 15.5}};
    for (const auto& [size, leftCentre, rightCentre, radius] : sizes) {
        const ReelGeometry left = reelGeometry(size, {343, 315}, 31.0, 0.0);
        EXPECT_EQ(left.centre, leftCentre) << size.width() << "x" << size.height();
        EXPECT_EQ(reelGeometry(size, {496, 315}, 31.0, 0.0).centre, rightCentre);
        EXPECT_DOUBLE_EQ(left.radius, radius);
    }
    // A rotation that is not finite counts as 0.
    const ReelGeometry upright = reelGeometry({836, 471}, {343, 315}, 31.0, 0.0);
    for (double rotation : {notANumber, HUGE_VAL})
        EXPECT_EQ(reelGeometry({836, 471}, {343, 315}, 31.0, rotation).spokes, upright.spokes);
}

TEST(TapeDeckGeometry, KeyBandMapsToTheSixActionsWithSharedEndsToTheLeftKey)
{
    const std::tuple<double, double, const char*> keys[] = {{0.055, 0.84, "ejectButtonPressed"},
                                                            {0.335, 1.0, "previousButtonPressed"},
                                                            {0.42, 0.9, "stopButtonPressed"},
                                                            {0.755, 0.9, "playlistButtonPressed"}};
    for (const auto& [fx, fy, action] : keys)
        EXPECT_STREQ(tapeDeckKeyActionAt(fx, fy), action) << fx << "," << fy;
    // Nothing in the gaps, past the ends, or where a fraction is not a number.
    const std::pair<double, double> misses[] = {
        {0.2, 0.9}, {0.38, 0.9}, {0.76, 0.9}, {notANumber, 0.9}, {0.5, notANumber}};
    for (const auto& [fx, fy] : misses)
        EXPECT_EQ(tapeDeckKeyActionAt(fx, fy), nullptr) << fx << "," << fy;
}

} // namespace
