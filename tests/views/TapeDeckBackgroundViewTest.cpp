#include "views/TapeDeckBackgroundView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"

#include <memory>
#include <numbers>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QResource>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

const QColor ground = QColor::fromRgbF(0.035f, 0.037f, 0.038f);
const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

QColor panel(const QColor& artwork)
{
    QColor translucent = artwork;
    translucent.setAlphaF(0.82f);
    return over(translucent, ground);
}

QByteArray solidSvg(const char* color)
{
    return QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='836' height='471' "
                      "viewBox='0 0 836 471'><rect width='836' height='471' fill='") +
           color + "'/></svg>";
}

// The test artwork, red on the left half and blue on the right, registered as the panel
// resource for as long as the object lives.
class PanelResource
{
public:
    PanelResource()
        : m_registered(QResource::registerResource(QStringLiteral(KASSOLIN_TEST_PANEL_RCC)))
    {}
    ~PanelResource()
    {
        if (m_registered)
            QResource::unregisterResource(QStringLiteral(KASSOLIN_TEST_PANEL_RCC));
    }
    bool isRegistered() const { return m_registered; }

private:
    bool m_registered;
};

class TapeDeckPixels : public ::testing::TestWithParam<std::tuple<QSize, NamedPalette>>
{
protected:
    void SetUp() override { view.setPalette(std::get<1>(GetParam()).make()); }

    QSize viewSize() const { return std::get<0>(GetParam()); }
    QImage render() { return renderWidget(view, viewSize()); }

    TapeDeckBackgroundView view;
};

TEST_P(TapeDeckPixels, StandardDesignIsThePlainWindowColour)
{
    view.setReelsAnimating(true);
    const QImage image = render();
    const QColor window = view.palette().color(QPalette::Window);
    for (int y = 0; y < viewSize().height(); y += 7)
        for (int x = 0; x < viewSize().width(); x += 7)
            ASSERT_EQ(image.pixelColor(x, y), window) << x << "," << y;
}

TEST_P(TapeDeckPixels, VintageWithoutArtworkIsTheNearBlackGround)
{
    ASSERT_EQ(view.panelImage(), nullptr);
    view.setVintageEnabled(true);
    const QImage image = render();
    for (int y = 0; y < viewSize().height(); y += 7)
        for (int x = 0; x < viewSize().width(); x += 7)
            ASSERT_TRUE(colorNear(image.pixelColor(x, y), ground)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(SizesAndPalettes, TapeDeckPixels,
                         ::testing::Combine(::testing::Values(QSize(836, 471), QSize(340, 224)),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param).width()) + "x" +
                                    std::to_string(std::get<0>(info.param).height()) +
                                    std::get<1>(info.param).name;
                         });

// A size with the view points halfway along the first spoke of each reel at rotation 0 (the
// pixel row just above the spoke's centre line, which it covers by 0.8) and left of the hub.
struct ReelPixels
{
    QSize size;
    QPoint leftSpoke;
    QPoint rightSpoke;
    QPoint leftHub;
    QPoint leftSpokeTurnedDown;
};

class TapeDeckReels : public ::testing::TestWithParam<ReelPixels>
{};

TEST_P(TapeDeckReels, SpokesAndHubsShowOnlyWhileAnimating)
{
    const ReelPixels c = GetParam();
    TapeDeckBackgroundView view;
    view.setVintageEnabled(true);
    const QImage still = renderWidget(view, c.size);
    view.setReelsAnimating(true);
    const QImage turning = renderWidget(view, c.size);
    for (const QPoint point : {c.leftSpoke, c.rightSpoke, c.leftHub}) {
        EXPECT_TRUE(colorNear(still.pixelColor(point), ground)) << point.x() << "," << point.y();
        EXPECT_GT(turning.pixelColor(point).red(), ground.red() + 12)
            << point.x() << "," << point.y();
    }
    // A warm tone: more red than blue.
    EXPECT_GT(turning.pixelColor(c.leftSpoke).red(), turning.pixelColor(c.leftSpoke).blue() + 8);

    view.setReelRotation(std::numbers::pi / 2);
    const QImage turned = renderWidget(view, c.size);
    EXPECT_TRUE(colorNear(turned.pixelColor(c.leftSpoke), ground));
    EXPECT_GT(turned.pixelColor(c.leftSpokeTurnedDown).red(), ground.red() + 12);
}

INSTANTIATE_TEST_SUITE_P(
    ViewSizes, TapeDeckReels,
    ::testing::Values(ReelPixels{{836, 471}, {360, 314}, {513, 314}, {339, 315}, {342, 332}},
                      ReelPixels{{1672, 942}, {721, 629}, {1027, 629}, {678, 630}, {685, 665}}),
    [](const auto& info) {
        return std::to_string(info.param.size.width()) + "x" +
               std::to_string(info.param.size.height());
    });

TEST(TapeDeckBackgroundView, ArtworkIsStretchedOverTheViewAt82PercentWithTheFrameOnTop)
{
    PanelResource resource;
    ASSERT_TRUE(resource.isRegistered());
    TapeDeckBackgroundView view;
    ASSERT_NE(view.panelImage(), nullptr);
    view.setVintageEnabled(true);
    for (const QSize size : {QSize(836, 471), QSize(418, 300)}) {
        const QImage image = renderWidget(view, size);
        const int w = size.width();
        const int h = size.height();
        // Corner to corner: a kept aspect ratio would leave bands of bare ground.
        for (const QPoint point : {QPoint(w / 4, h / 2), QPoint(12, 3), QPoint(w / 2 - 2, h - 2)})
            EXPECT_TRUE(colorNear(image.pixelColor(point), panel(red)))
                << w << "x" << h << " " << point.x() << "," << point.y();
        for (const QPoint point :
             {QPoint(3 * w / 4, h / 2), QPoint(w / 2 + 2, 2), QPoint(w - 12, h - 3)})
            EXPECT_TRUE(colorNear(image.pixelColor(point), panel(blue)))
                << w << "x" << h << " " << point.x() << "," << point.y();
        // The frame line inset by 7 covers half of pixel column 7 in 24 % black.
        EXPECT_TRUE(colorNear(image.pixelColor(7, h / 2),
                              over(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.12f), panel(red)), 3))
            << w << "x" << h;
        EXPECT_TRUE(colorNear(image.pixelColor(w - 8, h / 2),
                              over(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.12f), panel(blue)), 3))
            << w << "x" << h;
    }
}

TEST(TapeDeckBackgroundView, ArtworkIsRenderedOncePerSizeAndPixelRatio)
{
    PanelResource resource;
    ASSERT_TRUE(resource.isRegistered());
    TapeDeckBackgroundView view;
    ASSERT_NE(view.panelImage(), nullptr);
    view.setVintageEnabled(true);
    const QPoint left(100, 150);
    EXPECT_TRUE(colorNear(renderWidget(view, {418, 300}).pixelColor(left), panel(red)));

    // Changing the artwork behind the view's back shows only where it has to render anew.
    view.panelImage()->load(solidSvg("#00ff00"));
    EXPECT_TRUE(colorNear(renderWidget(view, {418, 300}).pixelColor(left), panel(red)));
    const QImage sharp = renderWidget(view, {418, 300}, 2.0);
    EXPECT_TRUE(colorNear(sharp.pixelColor(2 * left), panel(QColor(0, 255, 0))));

    view.panelImage()->load(solidSvg("#ffff00"));
    EXPECT_TRUE(colorNear(renderWidget(view, {418, 300}, 2.0).pixelColor(2 * left),
                          panel(QColor(0, 255, 0))));
    EXPECT_TRUE(colorNear(renderWidget(view, {420, 300}, 2.0).pixelColor(2 * left),
                          panel(QColor(255, 255, 0))));

    // Handing in new artwork always shows it.
    view.setPanelImage(std::make_unique<QSvgRenderer>(solidSvg("#ffffff")));
    EXPECT_TRUE(colorNear(renderWidget(view, {420, 300}, 2.0).pixelColor(2 * left),
                          panel(QColor(255, 255, 255))));
    view.setPanelImage(nullptr);
    EXPECT_TRUE(colorNear(renderWidget(view, {420, 300}).pixelColor(left), ground));
}

// Clicks given in thousandths of the width and height, so that x / W is exactly that fraction.
struct KeyClick
{
    int fxThousandths;
    int fyThousandths;
    const char* action; // nullptr: the click is handed on
};

void PrintTo(const KeyClick& c, std::ostream* out)
{
    *out << "fx " << c.fxThousandths << "/1000 fy " << c.fyThousandths << "/1000";
}

bool press(QWidget& view, QPointF position, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(QEvent::MouseButtonPress, position, view.mapToGlobal(position), button,
                      button, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &event);
    return event.isAccepted();
}

QPointF clickPoint(const KeyClick& c, QSize size)
{
    return {static_cast<double>(c.fxThousandths * size.width() / 1000),
            static_cast<double>(c.fyThousandths * size.height() / 1000)};
}

class TapeDeckKeys : public ::testing::TestWithParam<std::tuple<KeyClick, QSize>>
{};

TEST_P(TapeDeckKeys, SendTheirActionOnMouseDownInTheVintageDesign)
{
    const auto& [click, size] = GetParam();
    ActionRecorder recorder;
    TapeDeckBackgroundView view;
    view.resize(size);
    view.setVintageEnabled(true);
    view.setTransportTarget(&recorder);
    const bool accepted = press(view, clickPoint(click, size));
    if (!click.action) {
        EXPECT_FALSE(accepted);
        EXPECT_TRUE(recorder.calls.empty());
        return;
    }
    EXPECT_TRUE(accepted);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].action, click.action);
    EXPECT_EQ(recorder.calls[0].sender, &view);
}

TEST_P(TapeDeckKeys, SendNothingInTheStandardDesign)
{
    const auto& [click, size] = GetParam();
    ActionRecorder recorder;
    TapeDeckBackgroundView view;
    view.resize(size);
    view.setTransportTarget(&recorder);
    EXPECT_FALSE(press(view, clickPoint(click, size)));
    EXPECT_TRUE(recorder.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ClicksAndSizes, TapeDeckKeys,
    ::testing::Combine(::testing::Values(KeyClick{505, 900, "stopButtonPressed"},
                                         KeyClick{590, 900, "vintagePlayPausePressed"},
                                         KeyClick{675, 900, "nextButtonPressed"},
                                         KeyClick{90, 950, "ejectButtonPressed"},
                                         KeyClick{290, 840, "previousButtonPressed"},
                                         KeyClick{720, 990, "playlistButtonPressed"},
                                         KeyClick{505, 830, nullptr}, KeyClick{590, 830, nullptr},
                                         KeyClick{200, 900, nullptr}, KeyClick{380, 900, nullptr},
                                         KeyClick{900, 900, nullptr}),
                       ::testing::Values(QSize(1000, 200), QSize(200, 100))));

TEST(TapeDeckBackgroundView, KeysNeedATargetWithTheActionAndTheLeftButton)
{
    QObject plain;
    ActionRecorder recorder;
    const QPointF play(460, 450);
    {
        TapeDeckBackgroundView view;
        view.resize(836, 471);
        view.setVintageEnabled(true);
        EXPECT_FALSE(press(view, play));
        view.setTransportTarget(&plain);
        EXPECT_FALSE(press(view, play));
        view.setTransportTarget(&recorder);
        EXPECT_FALSE(press(view, play, Qt::RightButton));
        EXPECT_TRUE(press(view, play));
    }
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].action, "vintagePlayPausePressed");
}

TEST(TapeDeckBackgroundView, ForgetsATargetThatIsGone)
{
    auto recorder = std::make_unique<ActionRecorder>();
    TapeDeckBackgroundView view;
    view.resize(836, 471);
    view.setVintageEnabled(true);
    view.setTransportTarget(recorder.get());
    recorder.reset();
    EXPECT_EQ(view.transportTarget(), nullptr);
    EXPECT_FALSE(press(view, QPointF(400, 450)));
}

TEST(TapeDeckBackgroundView, OnlyTheDesignSwitchRedraws)
{
    ActionRecorder recorder;
    TapeDeckBackgroundView view;
    view.resize(340, 224);
    EXPECT_FALSE(view.isVintageEnabled());
    EXPECT_FALSE(view.isReelsAnimating());
    EXPECT_EQ(view.reelRotation(), 0.0);
    EXPECT_EQ(paintEventsDuring(view,
                                [&] {
                                    view.setReelsAnimating(true);
                                    view.setReelRotation(0.18);
                                    view.setTransportTarget(&recorder);
                                }),
              0);
    EXPECT_GT(paintEventsDuring(view, [&] { view.setVintageEnabled(true); }), 0);
    EXPECT_TRUE(view.isReelsAnimating());
    EXPECT_EQ(view.reelRotation(), 0.18);
    EXPECT_EQ(view.transportTarget(), &recorder);
}

TEST(TapeDeckBackgroundView, ViewsTooSmallForTheFrameShowTheArtworkToTheEdges)
{
    PanelResource resource;
    TapeDeckBackgroundView view;
    view.setVintageEnabled(true);
    view.setReelsAnimating(true);
    for (const QSize size : {QSize(10, 12), QSize(13, 14)}) {
        const QImage image = renderWidget(view, size);
        for (int y = 0; y < size.height(); ++y) {
            EXPECT_TRUE(colorNear(image.pixelColor(0, y), panel(red), 3))
                << size.width() << " " << y;
            EXPECT_TRUE(colorNear(image.pixelColor(size.width() - 1, y), panel(blue), 3))
                << size.width() << " " << y;
        }
    }
    // One pixel holds both halves.
    const QColor both = renderWidget(view, {1, 1}).pixelColor(0, 0);
    EXPECT_GT(both.red(), 60);
    EXPECT_GT(both.blue(), 60);
}

} // namespace
