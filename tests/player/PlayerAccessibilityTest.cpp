#include "player/PlayerTestFixture.h"
#include "support/TrackLoading.h"
#include "views/WaveformView.h"

#include <QAccessible>
#include <QMainWindow>
#include <QWheelEvent>

namespace {

using PlayerAccessibilityTest = PlayerTest;

// The first control shown named `name` below `root`, depth first.
QAccessibleInterface* named(QAccessibleInterface* root, const QString& name)
{
    if (root->state().invisible)
        return nullptr;
    if (root->text(QAccessible::Name) == name)
        return root;
    for (int index = 0; index < root->childCount(); ++index)
        if (QAccessibleInterface* found = named(root->child(index), name))
            return found;
    return nullptr;
}

bool press(QAccessibleInterface* control)
{
    QAccessibleActionInterface* actions = control ? control->actionInterface() : nullptr;
    return actions && (actions->doAction(QAccessibleActionInterface::pressAction()), true);
}

} // namespace

TEST_F(PlayerAccessibilityTest, EveryControlIsANamedButtonOrSliderThatWorksInBothDesigns)
{
    ASSERT_TRUE(loadAndOpen(controller, tracks({"eins", "zwei"}), 0, false));
    controller.setLoopControlsVisible(true);
    controller.showWindow();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(controller.window());
    for (const char* name : {"Zurück", "Stopp", "Wiedergabe", "Pause", "Weiter", "Warteschlange",
                             "Auswerfen", "A-Punkt setzen", "B-Punkt setzen", "A/B-Loop löschen"}) {
        QAccessibleInterface* button = named(window, QString::fromUtf8(name));
        ASSERT_TRUE(button && button->role() == QAccessible::Button) << name;
        EXPECT_EQ(button->state().checkable, QByteArray(name).contains("-")) << name;
    }
    ASSERT_TRUE(press(named(window, "Wiedergabe")));
    EXPECT_TRUE(current()->playing);
    current()->time = 30.0;
    ASSERT_TRUE(press(named(window, "A-Punkt setzen")));
    EXPECT_TRUE(named(window, "A-Punkt setzen")->state().checked &&
                !named(window, "B-Punkt setzen")->state().checked);

    QAccessibleInterface* scrubber = named(window, "Position");
    ASSERT_TRUE(scrubber && scrubber->role() == QAccessible::Slider && scrubber->valueInterface());
    scrubber->valueInterface()->setCurrentValue(0.25); // of the fakes' 200 s
    EXPECT_DOUBLE_EQ(current()->time, 50.0);
    controller.updateTimeLabels();
    EXPECT_EQ(scrubber->text(QAccessible::Value), "00:50 von 03:20");
    EXPECT_DOUBLE_EQ(scrubber->valueInterface()->currentValue().toDouble(), 0.25);
    for (const char* display : {"Waveform-Anzeige", "LED-Pegelanzeige", "Spektrumanalyzer"})
        EXPECT_FALSE(named(window, display)->text(QAccessible::Description).isEmpty()) << display;

    // The keys painted on the tape deck, each where it is drawn.
    controller.setVintageDesignEnabled(true);
    const QRect face =
        QAccessible::queryAccessibleInterface(controller.window()->centralWidget())->rect();
    for (const char* name :
         {"Auswerfen", "Zurück", "Stopp", "Wiedergabe/Pause", "Weiter", "Warteschlange"}) {
        QAccessibleInterface* key = named(window, QString::fromUtf8(name));
        ASSERT_TRUE(key && key->role() == QAccessible::Button) << name;
        EXPECT_TRUE(face.contains(key->rect())) << name;
    }
    ASSERT_TRUE(press(named(window, "Wiedergabe/Pause")));
    EXPECT_TRUE(controller.isPaused());
}

TEST_F(PlayerAccessibilityTest, SpacePlaysAndPausesAndTheArrowsSeekFiveSecondsInBothDesigns)
{
    ASSERT_TRUE(loadAndOpen(controller, tracks({"eins"}), 0, false));
    controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller.window()));
    for (const bool vintage : {false, true}) {
        controller.setVintageDesignEnabled(vintage);
        current()->time = 20.0;
        QTest::keyClick(controller.window(), Qt::Key_Space);
        EXPECT_TRUE(current()->playing) << vintage;
        QTest::keyClick(controller.window(), Qt::Key_Right);
        EXPECT_DOUBLE_EQ(current()->time, 25.0) << vintage;
        QTest::keyClick(controller.window(), Qt::Key_Left);
        EXPECT_DOUBLE_EQ(current()->time, 20.0) << vintage;
        QTest::keyClick(controller.window(), Qt::Key_Space);
        EXPECT_TRUE(controller.isPaused()) << vintage;
    }
}

// The volume steps by 5 % on the grid, from wherever the desktop left it, at each notch of the
// wheel over a display; what a screen reader is told to read names each new level.
TEST_F(PlayerAccessibilityTest, TheWheelOverADisplayStepsTheVolumeAndAScreenReaderHearsIt)
{
    controller.showWindow();
    controller.setVolume(0.33f);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(controller.window());
    QStringList heard;
    for (const int eighths : {120, 60, 60, -120}) {
        const QPointF inside(5, 5);
        QWheelEvent wheel(inside, controller.waveformView()->mapToGlobal(inside), {}, {0, eighths},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(controller.waveformView(), &wheel);
        const QString level =
            QStringLiteral("Lautstärke %1 %").arg(std::lround(controller.volume() * 100));
        heard << (named(window, level) ? level : QString());
    }
    EXPECT_EQ(heard, QStringList({"Lautstärke 40 %", "Lautstärke 40 %", "Lautstärke 45 %",
                                  "Lautstärke 40 %"}));
    EXPECT_EQ(controller.volume(), 0.4f);
}
