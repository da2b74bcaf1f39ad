#include "views/TransportButton.h"

#include "support/ActionRecorder.h"
#include "support/WidgetRendering.h"

#include <gtest/gtest.h>

namespace {

TEST(TransportButtonTest, LitTakesTheActiveColoursEvenWhenDisabledAndAClickSendsTheAction)
{
    QPalette palette;
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::gray);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, Qt::darkYellow);
    palette.setColor(QPalette::Active, QPalette::HighlightedText, Qt::yellow);
    ActionRecorder recorder;
    TransportButton button(TransportIconType::Stop, &recorder, "stopButtonPressed");
    button.setPalette(palette);
    button.click();
    EXPECT_EQ(recorder.calls, (ActionRecorder::Calls{{"stopButtonPressed", &button}}));
    button.setEnabled(false);
    for (const bool lit : {false, true}) {
        button.setTransportActive(lit);
        EXPECT_TRUE(colorNear(renderWidget(button, {34, 28}).pixelColor(17, 14),
                              lit ? Qt::yellow : Qt::gray));
    }
}

} // namespace
