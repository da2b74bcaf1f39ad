#include "views/TransportButton.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"
#include "views/TransportIcons.h"

#include <tuple>

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using enum TransportIconType;
const QPointF centre(17, 14);
const QColor litVintageIcon = QColor::fromRgbF(0.74f, 0.94f, 0.96f);

// What lies under the icon at `at`: the style's own bevel or, lit, the highlight; in the vintage
// look the key's gradient from its top edge at y 1 to its bottom at y 27, when lit under a glow
// inset by 3.
QColor keyColor(bool vintage, bool lit, const QPalette& palette, QPoint at)
{
    QPushButton plain;
    plain.setPalette(palette);
    if (!vintage)
        return lit ? palette.color(QPalette::Highlight)
                   : renderWidget(plain, {34, 28}).pixelColor(at);
    const double share = (at.y() - 0.5) / 26.0;
    auto mix = [share](float top, float bottom) { return top + (bottom - top) * share; };
    const QColor key =
        lit ? QColor::fromRgbF(mix(0.14f, 0.035f), mix(0.21f, 0.046f), mix(0.22f, 0.047f))
            : QColor::fromRgbF(mix(0.2f, 0.075f), mix(0.2f, 0.075f), mix(0.2f, 0.075f));
    const QColor glow = QColor::fromRgbF(0.0f, 0.62f, 0.70f, 0.22f);
    return lit && QRect(3, 3, 28, 22).contains(at) ? over(glow, key) : key;
}

TEST(TransportButton, PlayTriangleAndLoopRingLitAndNotInBothLooks)
{
    // The triangle (12, 7), (12, 21), (24, 14); the ring, radius 10 and 1.6 wide, passing below,
    // left of and above the centre, open on the right. Points on the shape, then beside it.
    const std::tuple<TransportIconType, std::vector<QPoint>, std::vector<QPoint>> icons[] = {
        {Play, {{13, 14}, {21, 14}, {13, 9}}, {{26, 14}, {10, 14}, {20, 8}, {5, 20}}},
        {LoopA, {{17, 24}, {7, 14}, {17, 3}}, {{27, 14}, {26, 12}, {17, 25}}},
        // Values outside the list draw the stop square (11, 8) to (23, 20).
        {TransportIconType(-1), {{12, 9}, {21, 18}}, {{24, 14}, {17, 7}}},
        {TransportIconType(std::int64_t{1} << 40), {{12, 9}, {21, 18}}, {{24, 14}, {17, 7}}}};
    for (const auto& [type, on, beside] : icons) {
        for (const int look : {0, 1, 2, 3}) {
            const bool vintage = look >= 2;
            const bool lit = look % 2 == 1;
            TransportButton button(type, nullptr, {});
            button.setVintageDesign(vintage);
            button.setTransportActive(lit);
            for (const PaletteRendering& r : renderInBothPalettes(button, {34, 28})) {
                SCOPED_TRACE(testing::Message()
                             << std::int64_t(type) << " look " << look << " " << r.name);
                const QColor icon =
                    vintage
                        ? (lit ? litVintageIcon : QColor::fromRgbF(0.68f, 0.63f, 0.54f))
                        : r.palette.color(lit ? QPalette::HighlightedText : QPalette::WindowText);
                auto key = [&](QPoint at) { return keyColor(vintage, lit, r.palette, at); };
                // The ring's thin line covers most of its pixels, the other shapes all.
                for (const QPoint at : on)
                    EXPECT_TRUE(type != LoopA ? colorNear(r.image.pixelColor(at), icon)
                                              : !colorNear(r.image.pixelColor(at), key(at), 40))
                        << at.x() << "," << at.y();
                // Lit in the standard look, the key takes the place of the style's bevel.
                EXPECT_TRUE(vintage || !lit || r.image.pixelColor(0, 14) == renderUnderlay);
                for (const QPoint at : beside)
                    EXPECT_TRUE(colorNear(r.image.pixelColor(at), key(at), 3))
                        << at.x() << "," << at.y();
            }
        }
    }
}

TEST(TransportButton, LitTakesTheActiveColoursEvenWhenDisabled)
{
    QPalette palette;
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::gray);
    palette.setColor(QPalette::Active, QPalette::HighlightedText, Qt::yellow);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, Qt::darkYellow);
    TransportButton button(Stop, nullptr, {});
    button.setPalette(palette);
    button.setEnabled(false);
    EXPECT_EQ(button.iconColor(), QColor(Qt::gray));
    button.setTransportActive(true);
    EXPECT_EQ(button.iconColor(), QColor(Qt::yellow));
}

TEST(TransportButton, ClickSendsTheAction)
{
    ActionRecorder recorder;
    TransportButton button(Stop, &recorder, "stopButtonPressed");
    button.click();
    EXPECT_EQ(recorder.calls, (ActionRecorder::Calls{{"stopButtonPressed", &button}}));
}

TEST(TransportIcons, LoopGlyphsSitCentredInsideTheRing)
{
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    // Clear of the ring's inner edge at radius 9.2.
    for (const auto type : {LoopA, LoopB, LoopClear}) {
        const QRectF box = transportIconPath(type, centre, font).boundingRect();
        EXPECT_LT(QLineF(centre, box.center()).length(), 2.5) << int(type);
        EXPECT_LT(QLineF(centre, box.topLeft()).length(), 9.2) << int(type);
        EXPECT_LT(QLineF(centre, box.bottomRight()).length(), 9.2) << int(type);
    }
}

} // namespace
