#include "views/TransportButton.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

enum class Look
{
    Standard,
    StandardLit,
    Vintage,
    VintageLit
};

struct NamedLook
{
    const char* name;
    Look look;
};

const NamedLook allLooks[] = {{"Standard", Look::Standard},
                              {"StandardLit", Look::StandardLit},
                              {"Vintage", Look::Vintage},
                              {"VintageLit", Look::VintageLit}};

QColor mix(const QColor& top, const QColor& bottom, double share)
{
    return QColor::fromRgbF(top.redF() + (bottom.redF() - top.redF()) * share,
                            top.greenF() + (bottom.greenF() - top.greenF()) * share,
                            top.blueF() + (bottom.blueF() - top.blueF()) * share);
}

class TransportButtonPixels : public ::testing::TestWithParam<std::tuple<NamedLook, NamedPalette>>
{
protected:
    Look look() const { return std::get<0>(GetParam()).look; }
    QPalette palette() const { return std::get<1>(GetParam()).make(); }
    bool lit() const { return look() == Look::StandardLit || look() == Look::VintageLit; }
    bool vintage() const { return look() == Look::Vintage || look() == Look::VintageLit; }

    QImage render(TransportIconType type)
    {
        TransportButton button(type, nullptr, QByteArray());
        button.setPalette(palette());
        button.setVintageDesign(vintage());
        button.setTransportActive(lit());
        return renderWidget(button, {34, 28});
    }
    QImage renderPlainButton()
    {
        QPushButton plain;
        plain.setPalette(palette());
        return renderWidget(plain, {34, 28});
    }
    QColor expectedIconColor() const
    {
        switch (look()) {
        case Look::Standard:
            return palette().color(QPalette::WindowText);
        case Look::StandardLit:
            return palette().color(QPalette::HighlightedText);
        case Look::Vintage:
            return QColor::fromRgbF(0.68f, 0.63f, 0.54f);
        case Look::VintageLit:
            return QColor::fromRgbF(0.74f, 0.94f, 0.96f);
        }
        return {};
    }
    // What lies under the icon at (x, y): the style's bevel, the lit shape or the key's gradient
    // running from its top edge at y 1 to its bottom edge at y 27, with the glow when lit.
    QColor expectedBackground(int x, int y)
    {
        const double share = (y + 0.5 - 1.0) / 26.0;
        switch (look()) {
        case Look::Standard:
            return renderPlainButton().pixelColor(x, y);
        case Look::StandardLit:
            return palette().color(QPalette::Highlight);
        case Look::Vintage:
            return mix(QColor::fromRgbF(0.2f, 0.2f, 0.2f), QColor::fromRgbF(0.075f, 0.075f, 0.075f),
                       share);
        case Look::VintageLit: {
            const QColor key = mix(QColor::fromRgbF(0.14f, 0.21f, 0.22f),
                                   QColor::fromRgbF(0.035f, 0.046f, 0.047f), share);
            // The glow covers the key inset by 3 (corners aside).
            if (!QRect(3, 3, 28, 22).contains(x, y))
                return key;
            return over(QColor::fromRgbF(0.0f, 0.62f, 0.70f, 0.22f), key);
        }
        }
        return {};
    }
};

TEST_P(TransportButtonPixels, PlayTriangleInTheIconColourOverItsBackground)
{
    const QImage image = render(TransportIconType::Play);
    // The triangle (12, 7), (12, 21), (24, 14) of a button centred on (17, 14).
    for (const QPoint inside : {QPoint(13, 14), QPoint(17, 14), QPoint(21, 14), QPoint(13, 9)})
        EXPECT_TRUE(colorNear(image.pixelColor(inside), expectedIconColor()))
            << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(26, 14), QPoint(10, 14), QPoint(20, 8), QPoint(5, 20)})
        EXPECT_TRUE(
            colorNear(image.pixelColor(outside), expectedBackground(outside.x(), outside.y()), 3))
            << outside.x() << "," << outside.y();
}

TEST_P(TransportButtonPixels, LoopRingSurroundsTheGlyphOpenOnTheRight)
{
    const QImage image = render(TransportIconType::LoopA);
    // The ring's 1.6-point line covers most of these pixels: below, left of and above centre.
    for (const QPoint onRing : {QPoint(17, 24), QPoint(7, 14), QPoint(17, 3)})
        EXPECT_TRUE(colorCloserTo(image.pixelColor(onRing), expectedIconColor(),
                                  expectedBackground(onRing.x(), onRing.y())))
            << onRing.x() << "," << onRing.y();
    for (const QPoint open : {QPoint(27, 14), QPoint(26, 12), QPoint(26, 15)})
        EXPECT_TRUE(colorNear(image.pixelColor(open), expectedBackground(open.x(), open.y()), 3))
            << open.x() << "," << open.y();
    // Nothing of the ring reaches past y 24.8.
    EXPECT_TRUE(colorNear(image.pixelColor(17, 25), expectedBackground(17, 25), 3));
}

TEST_P(TransportButtonPixels, AnIconTypeOutsideTheListDrawsTheStopSquare)
{
    const QImage stop = render(TransportIconType::Stop);
    EXPECT_EQ(render(static_cast<TransportIconType>(12)), stop);
    EXPECT_TRUE(colorNear(stop.pixelColor(12, 9), expectedIconColor()));
    EXPECT_TRUE(colorNear(stop.pixelColor(21, 18), expectedIconColor()));
    EXPECT_TRUE(colorNear(stop.pixelColor(24, 14), expectedBackground(24, 14), 3));
}

INSTANTIATE_TEST_SUITE_P(LooksAndPalettes, TransportButtonPixels,
                         ::testing::Combine(::testing::ValuesIn(allLooks),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    std::get<1>(info.param).name;
                         });

class TransportButtonLook : public ::testing::TestWithParam<NamedPalette>
{};

TEST_P(TransportButtonLook, StandardButtonKeepsTheStylesBevelAroundTheIcon)
{
    for (bool pressed : {false, true}) {
        TransportButton button(TransportIconType::Play, nullptr, QByteArray());
        QPushButton plain;
        button.setPalette(GetParam().make());
        plain.setPalette(GetParam().make());
        button.setDown(pressed);
        plain.setDown(pressed);
        const QImage ours = renderWidget(button, {34, 28});
        const QImage bevel = renderWidget(plain, {34, 28});
        const QRect icon(11, 6, 15, 17);
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 34; ++x)
                if (!icon.contains(x, y)) {
                    ASSERT_EQ(ours.pixel(x, y), bevel.pixel(x, y))
                        << x << "," << y << (pressed ? " pressed" : "");
                }
    }
}

TEST_P(TransportButtonLook, LitAndVintageKeysLeaveTheOuterCornersUntouched)
{
    for (bool vintage : {false, true}) {
        TransportButton button(TransportIconType::Pause, nullptr, QByteArray());
        button.setPalette(GetParam().make());
        button.setVintageDesign(vintage);
        button.setTransportActive(!vintage);
        const QImage image = renderWidget(button, {34, 28});
        EXPECT_EQ(image.pixelColor(0, 0), renderUnderlay) << vintage;
        EXPECT_EQ(image.pixelColor(33, 27), renderUnderlay) << vintage;
    }
}

TEST_P(TransportButtonLook, VintageKeyIsOutlinedInTranslucentBlack)
{
    TransportButton button(TransportIconType::Stop, nullptr, QByteArray());
    button.setPalette(GetParam().make());
    button.setVintageDesign(true);
    const QImage image = renderWidget(button, {34, 28});
    // The outline along x = 1 covers half of column 1 (over the key) and half of column 0.
    const QColor key = image.pixelColor(3, 14);
    const QColor edge = image.pixelColor(1, 14);
    const QColor halfBlack = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.275f);
    EXPECT_TRUE(colorNear(edge, over(halfBlack, key), 3));
}

INSTANTIATE_TEST_SUITE_P(Palettes, TransportButtonLook, ::testing::ValuesIn(bothPalettes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TransportButton, IsFixedAt34By28WithoutTitle)
{
    TransportButton button(TransportIconType::Next, nullptr, "nextButtonPressed");
    button.resize(80, 50);
    EXPECT_EQ(button.size(), QSize(34, 28));
    EXPECT_TRUE(button.text().isEmpty());
    EXPECT_EQ(button.iconType(), TransportIconType::Next);
    EXPECT_FALSE(button.isTransportActive());
    EXPECT_FALSE(button.isVintageDesign());
}

TEST(TransportButton, ClickSendsTheActionToTheTarget)
{
    ActionRecorder recorder;
    TransportButton button(TransportIconType::Play, &recorder, "playButtonPressed");
    button.click();
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].action, "playButtonPressed");
    EXPECT_EQ(recorder.calls[0].sender, &button);

    button.setAction("rewindButtonPressed");
    button.click();
    EXPECT_EQ(recorder.calls.size(), 1u);
}

TEST(TransportButton, LitWinsOverDisabledInBothLooks)
{
    TransportButton button(TransportIconType::Stop, nullptr, QByteArray());
    button.setPalette(lightPalette());
    button.setEnabled(false);
    EXPECT_EQ(button.iconColor(), lightPalette().color(QPalette::Disabled, QPalette::WindowText));
    button.setVintageDesign(true);
    EXPECT_EQ(button.iconColor(), QColor::fromRgbF(0.34f, 0.34f, 0.34f));
    button.setTransportActive(true);
    EXPECT_EQ(button.iconColor(), QColor::fromRgbF(0.74f, 0.94f, 0.96f));
    button.setVintageDesign(false);
    EXPECT_EQ(button.iconColor(), lightPalette().color(QPalette::HighlightedText));
}

TEST(TransportButton, OnlyTheLitStateRedraws)
{
    TransportButton button(TransportIconType::Play, nullptr, QByteArray());
    EXPECT_EQ(paintEventsDuring(button,
                                [&] {
                                    button.setVintageDesign(true);
                                    button.setIconType(TransportIconType::Pause);
                                }),
              0);
    EXPECT_GT(paintEventsDuring(button, [&] { button.setTransportActive(true); }), 0);
    EXPECT_TRUE(button.isVintageDesign());
    EXPECT_EQ(button.iconType(), TransportIconType::Pause);
}

} // namespace
