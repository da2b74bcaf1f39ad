#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>

// A session bus of the test's own: a dbus-daemon started here and ended by its PID, so that
// tests running at once never meet on a bus.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    // A connection of its own to the bus; `role` tells the connections of one bus apart.
    QDBusConnection connect(const QString& role);

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
