#include "views/TapeDeckBackgroundView.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"
#include "views/TapeDeckGeometry.h"

#include <memory>
#include <tuple>

#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

TEST(TapeDeckBackgroundViewTest, KeysSendOnMouseDownToALiveTargetInTheVintageDesignOnly)
{
    auto recorder = std::make_unique<ActionRecorder>();
    // Design, button, x and y in a view of 1000 × 200; the action sent (none: handed on).
    const std::tuple<bool, Qt::MouseButton, int, int, const char*> clicks[] = {
        {true, Qt::LeftButton, 55, 168, "ejectButtonPressed"},
        {true, Qt::LeftButton, 505, 180, "stopButtonPressed"},
        {true, Qt::LeftButton, 590, 180, "vintagePlayPausePressed"},
        {true, Qt::LeftButton, 675, 180, "nextButtonPressed"},
        {true, Qt::LeftButton, 590, 166, nullptr},
        {true, Qt::RightButton, 590, 180, nullptr},
        {false, Qt::LeftButton, 590, 180, nullptr}};
    TapeDeckBackgroundView view;
    view.setPanelImage(nullptr);
    view.resize(1000, 200);
    view.setTransportTarget(recorder.get());
    for (const auto& [vintage, button, x, y, action] : clicks) {
        recorder->calls.clear();
        view.setVintageEnabled(vintage);
        EXPECT_EQ(sendMouse(view, QEvent::MouseButtonPress, QPointF(x, y), button, button),
                  action != nullptr)
            << x << "," << y;
        EXPECT_EQ(recorder->calls,
                  (action ? ActionRecorder::Calls{{action, &view}} : ActionRecorder::Calls{}));
    }
    view.setVintageEnabled(true);
    recorder.reset(); // a target that is gone is forgotten
    EXPECT_FALSE(sendMouse(view, QEvent::MouseButtonPress, QPointF(590, 180)));
    // The key band at fractions that are not numbers holds no key.
    EXPECT_EQ(tapeDeckKeyActionAt(notANumber, 0.9), nullptr);
    EXPECT_EQ(tapeDeckKeyActionAt(0.5, notANumber), nullptr);
}

} // namespace
