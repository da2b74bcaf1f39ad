#include "views/MiniScrubberView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"
#include "views/ScrubberGeometry.h"

#include <memory>
#include <tuple>

#include <gtest/gtest.h>

namespace {

const QColor trackColor = QColor::fromRgbF(0.18f, 0.18f, 0.18f);
const QColor fillColor = over(QColor::fromRgbF(0.12f, 0.43f, 0.78f, 0.72f), trackColor);
const QColor knobColor = QColor::fromRgbF(0.92f, 0.92f, 0.92f);

TEST(MiniScrubberView, FillRunsToTheValueWithTheKnobAtItsEnd)
{
    for (const QSize size : {QSize(200, 10), QSize(300, 14)}) {
        MiniScrubberView scrubber;
        // The knob is 4 wide; at the ends half of it hangs outside the view.
        for (const double value : {0.0, 0.5, 1.0}) {
            scrubber.setValue(value);
            const int end = static_cast<int>(value * size.width());
            for (const PaletteRendering& r : renderInBothPalettes(scrubber, size)) {
                SCOPED_TRACE(testing::Message() << size.width() << r.name << " at " << value);
                auto at = [&](int dx) { return r.image.pixelColor(end + dx, size.height() / 2); };
                for (int dx = -2; dx < 2; ++dx)
                    EXPECT_TRUE(!r.image.valid(end + dx, 0) || colorNear(at(dx), knobColor)) << dx;
                EXPECT_TRUE(value == 0.0 || colorNear(at(-5), fillColor));
                EXPECT_TRUE(value == 1.0 || colorNear(at(5), trackColor));
            }
        }
        // The knob spans the full height; beside it the track leaves the top row to the underlay.
        const QImage full = renderWidget(scrubber, size);
        EXPECT_TRUE(colorNear(full.pixelColor(size.width() - 1, 1), knobColor));
        EXPECT_FALSE(
            colorNear(full.pixelColor(size.width() - 3, size.height() / 2), knobColor, 40));
        EXPECT_EQ(full.pixelColor(10, 0), renderUnderlay);
    }
}

TEST(MiniScrubberView, ClicksAndDragsReportEveryEventClampedToZeroToOne)
{
    auto recorder = std::make_unique<ActionRecorder>();
    QObject* const willing = recorder.get();
    const char* const valueChanged = "scrubberValueChanged";
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    scrubber.setTarget(willing);
    scrubber.setAction(valueChanged);
    // event, button, buttons held, x, value, whether it is reported
    const std::tuple<QEvent::Type, Qt::MouseButton, Qt::MouseButtons, double, double, bool>
        steps[] = {{QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, 150, 0, false},
                   {QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 150, 0, false},
                   {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 50, 0.25, true},
                   {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 120, 0.6, true},
                   {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, -30, 0, true},
                   {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 260, 1, true},
                   {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 260, 1, true},
                   {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 20, 1, false}};
    std::size_t reports = 0;
    for (const auto& [type, button, held, x, value, reported] : steps) {
        sendMouse(scrubber, type, {x, 5.0}, button, held);
        reports += reported ? 1 : 0;
        EXPECT_DOUBLE_EQ(scrubber.value(), value) << type << " at " << x;
        EXPECT_EQ(recorder->calls, ActionRecorder::Calls(reports, {valueChanged, &scrubber}));
    }
    // Set directly, the value is limited the same way and reported to nobody.
    for (const double given : {1.7, -0.2, notANumber}) {
        scrubber.setValue(given);
        EXPECT_EQ(scrubber.value(), given > 1.0 ? 1.0 : 0.0) << given;
    }
    // Without a target that has the action, taking the sender, a click moves but sends nothing.
    QObject plain;
    const std::pair<QObject*, const char*> targets[] = {{nullptr, valueChanged},
                                                        {&plain, valueChanged},
                                                        {willing, "seek"},
                                                        {willing, ""},
                                                        {willing, "deleteLater"}};
    for (const auto& [target, action] : targets) {
        scrubber.setTarget(target);
        scrubber.setAction(action);
        sendMouse(scrubber, QEvent::MouseButtonPress, {150.0, 5.0});
        EXPECT_DOUBLE_EQ(scrubber.value(), 0.75) << action;
    }
    EXPECT_EQ(recorder->calls.size(), reports);
    // A target that is gone is forgotten.
    scrubber.setTarget(willing);
    scrubber.setAction(valueChanged);
    recorder.reset();
    sendMouse(scrubber, QEvent::MouseButtonPress, {50.0, 5.0});
    EXPECT_EQ(scrubber.target(), nullptr);
    // Without width a position gives 0, as does a position that is not a number.
    for (const double width : {0.0, -5.0, notANumber})
        EXPECT_EQ(scrubberValueForX(-30.0, width), 0.0) << width;
    EXPECT_EQ(scrubberValueForX(notANumber, 200.0), 0.0);
}

} // namespace
