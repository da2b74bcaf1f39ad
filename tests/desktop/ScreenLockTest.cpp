// Runs on a session bus of its own (dbus-run-session, see tests/CMakeLists.txt).
#include "desktop/ScreenLock.h"

#include "player/PlayerTestFixture.h"
#include "support/DesktopBus.h"
#include "support/TrackLoading.h"
#include "views/WaveformView.h"

#include <QMainWindow>
#include <QTest>

namespace {

// The desktop's screen saver, active (the screen locked) from the start.
class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    bool active = true;

public Q_SLOTS:
    bool GetActive() const { return active; }

Q_SIGNALS:
    void ActiveChanged(bool active);
};

using ScreenLockTest = PlayerTest;

} // namespace

TEST_F(ScreenLockTest, BehindTheLockedScreenTheDisplaysRestAndUnlockedTheyShowTheTimeAtOnce)
{
    FakeScreenSaver saver;
    ASSERT_TRUE(
        serveAsDesktop(saver, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"));
    ScreenLock lock(QDBusConnection::sessionBus());
    QObject::connect(&lock, &ScreenLock::lockedChanged, &controller,
                     &PlayerWindowController::setScreenLocked);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lock.isLocked(); }, 10000));

    ASSERT_TRUE(loadAndOpen(controller, tracks({"a"}), 0, true));
    controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.window()));
    current()->setCurrentTime(10.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(20.0);
    controller.setLoopEndAtCurrentTime();
    // The clock still runs the loop, but the waveform is not told where the jump went.
    const double shown = controller.waveformView()->currentTime();
    current()->setCurrentTime(25.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return current()->currentTime() == 10.0; }, 10000));
    EXPECT_EQ(controller.waveformView()->currentTime(), shown);

    Q_EMIT saver.ActiveChanged(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lock.isLocked(); }, 10000));
    EXPECT_EQ(controller.waveformView()->currentTime(), 10.0);
    Q_EMIT saver.ActiveChanged(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return lock.isLocked(); }, 10000));
}

#include "ScreenLockTest.moc"
