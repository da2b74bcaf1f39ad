// Runs on the X server that scripts/test.sh starts (see tests/CMakeLists.txt).
#include "player/WindowVisibility.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

TEST(WindowVisibilityTest, AWindowCoveredWholeIsToldSoAndUncoveredAgain)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server in DISPLAY";
    QWidget watched;
    watched.setGeometry(100, 100, 200, 150);
    watched.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&watched));
    WindowVisibility visibility(*watched.windowHandle());
    // No window manager runs: the cover lies where it is put.
    QWidget cover;
    cover.setWindowFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    cover.setGeometry(50, 50, 400, 300);
    cover.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibility.isCovered(); }, 10000));
    cover.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !visibility.isCovered(); }, 10000));
}
