// Runs on a session bus of its own (dbus-run-session, see tests/CMakeLists.txt).
#include "desktop/SleepInhibitor.h"

#include "player/PlayerTestFixture.h"
#include "support/DesktopBus.h"
#include "support/TrackLoading.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

// One inhibition the portal granted; closing it releases it.
class FakeRequest final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    FakeRequest(QStringList& heard, QObject* parent) : QObject(parent), m_heard(heard) {}

public Q_SLOTS:
    void Close() { m_heard << QStringLiteral("Close"); }

private:
    QStringList& m_heard;
};

// The desktop's inhibit portal. It names each request after its caller and token, and leaves
// the caller without an answer until `answers` is set.
class FakeInhibitPortal final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    QStringList heard; // in order: each inhibition asked for, and each release
    bool answers = false;

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString&, uint flags, const QVariantMap& options)
    {
        heard << QStringLiteral("Inhibit %1 %2").arg(flags).arg(options["reason"].toString());
        const QString sender = message().service().mid(1).replace('.', '_');
        const QDBusObjectPath handle("/org/freedesktop/portal/desktop/request/" + sender + '/' +
                                     options["handle_token"].toString());
        connection().registerObject(handle.path(), new FakeRequest(heard, this),
                                    QDBusConnection::ExportAllSlots);
        setDelayedReply(!answers);
        return handle;
    }
};

using SleepInhibitorTest = PlayerTest;

} // namespace

TEST_F(SleepInhibitorTest, SuspendIsInhibitedExactlyWhileATrackPlaysAndReleasedAtQuit)
{
    FakeInhibitPortal portal;
    ASSERT_TRUE(serveAsDesktop(portal, "/org/freedesktop/portal/desktop",
                               "org.freedesktop.portal.Desktop"));
    const QString inhibition = QStringLiteral("Inhibit 4 Musik wird abgespielt");
    const QString release = QStringLiteral("Close");
    QStringList expected;
    const auto portalHeard = [&](const QString& next) {
        expected << next;
        return QTest::qWaitFor([&] { return portal.heard.size() >= expected.size(); }, 10000) &&
               portal.heard == expected;
    };
    {
        SleepInhibitor inhibitor(controller, QDBusConnection::sessionBus());
        const std::vector<std::pair<std::function<void()>, QString>> steps{
            // The first request is never answered: the pause releases it all the same.
            {[&] { loadAndOpen(controller, tracks({"eins"}), 0, true); }, inhibition},
            {[&] { controller.pause(); }, release},
            {[&] { portal.answers = true, controller.startPlayback(); }, inhibition},
            {[&] { controller.stop(); }, release},
            {[&] { controller.startPlayback(); }, inhibition},
            {[&] { current()->finishNaturally(); }, release}, // the end of the list
            {[&] { controller.startPlayback(); }, inhibition},
        };
        for (const auto& [step, heard] : steps) {
            step();
            ASSERT_TRUE(portalHeard(heard)) << portal.heard.join(", ").toStdString();
        }
    }
    EXPECT_TRUE(portalHeard(release)) << portal.heard.join(", ").toStdString();
}

#include "SleepInhibitorTest.moc"
