#include "desktop/SettingsPortal.h"

#include "audio/WorkQueue.h"
#include "desktop/DesktopPortal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr uint prefersDarkStyle = 1;

// Read wraps the value in a second variant; the change signal does not.
bool prefersDark(QVariant value)
{
    for (int depth = 0; depth < 2 && value.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value.metaType() == QMetaType::fromType<uint>() && value.toUInt() == prefersDarkStyle;
}

} // namespace

SettingsPortal::SettingsPortal(BusConnector connectToBus, QObject* parent)
    : QObject(parent), m_connectToBus(std::move(connectToBus))
{}

void SettingsPortal::start()
{
    WorkQueue::lane(WorkLane::Desktop)
        .run([this, connectToBus = m_connectToBus, connection = m_connection.inbox()] {
            const QDBusConnection bus = connectToBus();
            connection->post([this, bus] { connected(bus); });
        });
}

// Follows the changes from now on, and asks for the preference as it is.
void SettingsPortal::connected(QDBusConnection bus)
{
    if (!bus.isConnected())
        return;
    bus.connect(desktopPortalService, desktopPortalPath, interface,
                QStringLiteral("SettingChanged"), this, SLOT(settingChanged(QDBusMessage)));
    QDBusMessage request = QDBusMessage::createMethodCall(desktopPortalService, desktopPortalPath,
                                                          interface, QStringLiteral("Read"));
    request << appearanceGroup << colorSchemeKey;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(request, readTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &SettingsPortal::readDidFinish);
}

void SettingsPortal::readDidFinish(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    // No portal, or one without the key: the platform's palette stays.
    if (reply.isError() || m_changeAnnounced)
        return;
    Q_EMIT colorSchemeChanged(prefersDark(reply.value().variant()));
}

void SettingsPortal::settingChanged(const QDBusMessage& change)
{
    // Group, key and value. Taken from the message: Qt 6.4 does not always find a slot with a
    // QDBusVariant parameter for a signal.
    const QList<QVariant> arguments = change.arguments();
    if (arguments.size() != 3 || arguments[0].toString() != appearanceGroup ||
        arguments[1].toString() != colorSchemeKey)
        return;
    m_changeAnnounced = true;
    Q_EMIT colorSchemeChanged(prefersDark(arguments[2]));
}

#include "moc_SettingsPortal.cpp"
