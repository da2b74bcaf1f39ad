#include "views/MiniScrubberView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"

#include <limits>
#include <memory>

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

const QColor trackColor = QColor::fromRgbF(0.18f, 0.18f, 0.18f);
const QColor fillColor = QColor::fromRgbF(0.12f, 0.43f, 0.78f, 0.72f);
const QColor knobColor = QColor::fromRgbF(0.92f, 0.92f, 0.92f);

// Sends a mouse event as the window system would deliver it; returns whether it was accepted.
bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position,
               Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, position, widget.mapToGlobal(position),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}

class MiniScrubberPixels : public ::testing::TestWithParam<std::tuple<QSize, NamedPalette>>
{
protected:
    void SetUp() override { scrubber.setPalette(std::get<1>(GetParam()).make()); }

    QSize viewSize() const { return std::get<0>(GetParam()); }
    QImage renderAt(double value)
    {
        scrubber.setValue(value);
        return renderWidget(scrubber, viewSize());
    }

    MiniScrubberView scrubber;
};

TEST_P(MiniScrubberPixels, FillRunsToTheValueWithTheKnobAtItsEnd)
{
    const QImage image = renderAt(0.5);
    const int end = viewSize().width() / 2;
    const int middle = viewSize().height() / 2;
    const int bottom = viewSize().height() - 1;
    EXPECT_TRUE(colorNear(image.pixelColor(end / 2, middle), over(fillColor, trackColor)));
    EXPECT_TRUE(colorNear(image.pixelColor(end + end / 2, middle), trackColor));
    // The knob spans the full height; its ends are round (radius 2 on a width of 4).
    for (int x : {end - 2, end - 1, end, end + 1})
        EXPECT_TRUE(colorNear(image.pixelColor(x, middle), knobColor)) << x;
    for (int x : {end - 1, end}) {
        EXPECT_TRUE(colorNear(image.pixelColor(x, 1), knobColor)) << x;
        EXPECT_TRUE(colorNear(image.pixelColor(x, bottom - 1), knobColor)) << x;
        EXPECT_TRUE(colorCloserTo(image.pixelColor(x, 0), knobColor, renderUnderlay)) << x;
        EXPECT_TRUE(colorCloserTo(image.pixelColor(x, bottom), knobColor, renderUnderlay)) << x;
    }
    EXPECT_FALSE(colorNear(image.pixelColor(end - 3, middle), knobColor, 40));
    EXPECT_FALSE(colorNear(image.pixelColor(end + 2, middle), knobColor, 40));
    // Beside the knob the track leaves the top and bottom rows to the underlay.
    EXPECT_EQ(image.pixelColor(end + end / 2, 0), renderUnderlay);
    EXPECT_EQ(image.pixelColor(end / 2, bottom), renderUnderlay);
}

TEST_P(MiniScrubberPixels, AtZeroOnlyTheKnobsRightHalfShows)
{
    const QImage image = renderAt(0.0);
    const int middle = viewSize().height() / 2;
    EXPECT_TRUE(colorNear(image.pixelColor(0, middle), knobColor));
    EXPECT_TRUE(colorNear(image.pixelColor(1, middle), knobColor));
    EXPECT_TRUE(colorNear(image.pixelColor(4, middle), trackColor));
    EXPECT_TRUE(colorNear(image.pixelColor(viewSize().width() / 2, middle), trackColor));
}

TEST_P(MiniScrubberPixels, AtOneTheFillCoversTheTrack)
{
    const QImage image = renderAt(1.0);
    const int middle = viewSize().height() / 2;
    const int width = viewSize().width();
    EXPECT_TRUE(colorNear(image.pixelColor(width / 2, middle), over(fillColor, trackColor)));
    EXPECT_TRUE(colorNear(image.pixelColor(width - 5, middle), over(fillColor, trackColor)));
    EXPECT_TRUE(colorNear(image.pixelColor(width - 1, middle), knobColor));
    EXPECT_TRUE(colorNear(image.pixelColor(width - 2, middle), knobColor));
}

INSTANTIATE_TEST_SUITE_P(SizesAndPalettes, MiniScrubberPixels,
                         ::testing::Combine(::testing::Values(QSize(200, 10), QSize(300, 14)),
                                            ::testing::ValuesIn(bothPalettes)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param).width()) + "x" +
                                    std::to_string(std::get<0>(info.param).height()) +
                                    std::get<1>(info.param).name;
                         });

TEST(MiniScrubberView, SetValueLimitsToZeroToOneAndSendsNothing)
{
    ActionRecorder recorder;
    MiniScrubberView scrubber;
    scrubber.setTarget(&recorder);
    scrubber.setAction("scrubberValueChanged");
    const struct
    {
        double given;
        double stored;
    } cases[] = {{0.3, 0.3},
                 {1.7, 1.0},
                 {-0.2, 0.0},
                 {std::numeric_limits<double>::quiet_NaN(), 0.0},
                 {std::numeric_limits<double>::infinity(), 1.0}};
    for (const auto& c : cases) {
        scrubber.setValue(c.given);
        EXPECT_EQ(scrubber.value(), c.stored) << c.given;
    }
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(MiniScrubberView, ClickAndDragReportEveryEventClampedToTheEnds)
{
    ActionRecorder recorder;
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    scrubber.setTarget(&recorder);
    scrubber.setAction("scrubberValueChanged");

    const struct
    {
        QEvent::Type type;
        double x;
        double value;
    } steps[] = {{QEvent::MouseButtonPress, 50.0, 0.25}, {QEvent::MouseMove, 120.0, 0.6},
                 {QEvent::MouseMove, -30.0, 0.0},        {QEvent::MouseMove, 260.0, 1.0},
                 {QEvent::MouseMove, 260.0, 1.0},        {QEvent::MouseMove, 100.0, 0.5}};
    std::size_t sent = 0;
    for (const auto& step : steps) {
        EXPECT_TRUE(sendMouse(scrubber, step.type, {step.x, 5.0}));
        EXPECT_DOUBLE_EQ(scrubber.value(), step.value) << step.x;
        ASSERT_EQ(recorder.calls.size(), ++sent) << step.x;
        EXPECT_EQ(recorder.calls.back().action, "scrubberValueChanged");
        EXPECT_EQ(recorder.calls.back().sender, &scrubber);
    }
    sendMouse(scrubber, QEvent::MouseButtonRelease, {20.0, 5.0});
    EXPECT_DOUBLE_EQ(scrubber.value(), 0.5);
    EXPECT_EQ(recorder.calls.size(), sent);
}

TEST(MiniScrubberView, OtherButtonsAndMovesWithoutAButtonLeaveTheValue)
{
    ActionRecorder recorder;
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    scrubber.setTarget(&recorder);
    scrubber.setAction("scrubberValueChanged");
    EXPECT_FALSE(sendMouse(scrubber, QEvent::MouseButtonPress, {150.0, 5.0}, Qt::RightButton));
    QMouseEvent hover(QEvent::MouseMove, QPointF(150.0, 5.0), QPointF(150.0, 5.0), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&scrubber, &hover);
    EXPECT_EQ(scrubber.value(), 0.0);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(MiniScrubberView, WithoutAWillingTargetMovesButSendsNothing)
{
    ActionRecorder recorder;
    QObject plain;
    const struct
    {
        const char* name;
        QObject* target;
        QByteArray action;
    } cases[] = {{"noTarget", nullptr, "scrubberValueChanged"},
                 {"noAction", &recorder, QByteArray()},
                 {"targetWithoutTheAction", &plain, "scrubberValueChanged"},
                 {"actionUnknownToTarget", &recorder, "seek"}};
    for (const auto& c : cases) {
        MiniScrubberView scrubber;
        scrubber.resize(200, 10);
        scrubber.setTarget(c.target);
        scrubber.setAction(c.action);
        sendMouse(scrubber, QEvent::MouseButtonPress, {150.0, 5.0});
        EXPECT_DOUBLE_EQ(scrubber.value(), 0.75) << c.name;
    }
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(MiniScrubberView, ATargetThatIsGoneIsForgotten)
{
    auto recorder = std::make_unique<ActionRecorder>();
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    scrubber.setTarget(recorder.get());
    scrubber.setAction("scrubberValueChanged");
    recorder.reset();
    sendMouse(scrubber, QEvent::MouseButtonPress, {50.0, 5.0});
    EXPECT_DOUBLE_EQ(scrubber.value(), 0.25);
    EXPECT_EQ(scrubber.target(), nullptr);
}

TEST(MiniScrubberView, AViewWithoutWidthGivesZero)
{
    ActionRecorder recorder;
    MiniScrubberView scrubber;
    scrubber.resize(0, 10);
    scrubber.setTarget(&recorder);
    scrubber.setAction("scrubberValueChanged");
    scrubber.setValue(0.8);
    sendMouse(scrubber, QEvent::MouseButtonPress, {0.0, 5.0});
    EXPECT_EQ(scrubber.value(), 0.0);
    EXPECT_EQ(recorder.calls.size(), 1u);
}

TEST(MiniScrubberView, ValueRedrawsAndIsTenPointsHigh)
{
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    EXPECT_GT(paintEventsDuring(scrubber, [&] { scrubber.setValue(0.4); }), 0);
    EXPECT_EQ(scrubber.sizeHint().height(), 10);
}

} // namespace
