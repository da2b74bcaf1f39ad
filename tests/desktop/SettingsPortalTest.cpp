// Runs on a session bus of its own (dbus-run-session, see tests/CMakeLists.txt).
#include "desktop/SettingsPortal.h"

#include "support/DesktopBus.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// The desktop's settings portal, publishing a dark style (1) for the appearance's color-scheme.
class FakeSettingsPortal final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key)
    {
        const bool asked = group == "org.freedesktop.appearance" && key == "color-scheme";
        return QDBusVariant(QVariant::fromValue(QDBusVariant(asked ? 1u : 0u))); // wrapped twice
    }
};

} // namespace

TEST(SettingsPortalTest, ReportsTheDesktopsDarkStyleAndItsChanges)
{
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    FakeSettingsPortal portal;
    const auto desktop = serveAsDesktop(portal, path, "org.freedesktop.portal.Desktop");
    ASSERT_TRUE(desktop);
    SettingsPortal reader;
    QSignalSpy reports(&reader, &SettingsPortal::colorSchemeChanged);
    reader.start();
    ASSERT_TRUE(reports.wait(10000));
    // Another group's change, which is not the appearance's, then the appearance's turn to light.
    for (const auto& [group, colorScheme] : {std::pair("org.gnome.desktop.interface", 1u),
                                             std::pair("org.freedesktop.appearance", 2u)})
        desktop->send(
            QDBusMessage::createSignal(path, "org.freedesktop.portal.Settings", "SettingChanged")
            << group << "color-scheme" << QVariant::fromValue(QDBusVariant(colorScheme)));
    ASSERT_TRUE(reports.wait(10000));
    EXPECT_EQ(reports, QList<QVariantList>({{true}, {false}}));
}

#include "SettingsPortalTest.moc"
