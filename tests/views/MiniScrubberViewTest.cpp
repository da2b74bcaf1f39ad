#include "views/MiniScrubberView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"
#include "views/ScrubberGeometry.h"

#include <memory>
#include <tuple>

#include <gtest/gtest.h>

namespace {

TEST(MiniScrubberViewTest, ClicksAndDragsReportEveryEventClampedToZeroToOne)
{
    auto recorder = std::make_unique<ActionRecorder>();
    const char* const valueChanged = "scrubberValueChanged";
    MiniScrubberView scrubber;
    scrubber.resize(200, 10);
    scrubber.setTarget(recorder.get());
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
    // Without a target that has the action a click moves but sends nothing; a target that is
    // gone is forgotten.
    scrubber.setAction("seek");
    sendMouse(scrubber, QEvent::MouseButtonPress, {150.0, 5.0});
    EXPECT_EQ(recorder->calls.size(), reports);
    EXPECT_DOUBLE_EQ(scrubber.value(), 0.75);
    recorder.reset();
    EXPECT_EQ(scrubber.target(), nullptr);
}

} // namespace
