#include "support/PrivateSessionBus.h"

#include <stdexcept>

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--nopidfile", "--print-address"});
    while (m_address.isEmpty() && m_daemon.waitForReadyRead(30000))
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        throw std::runtime_error("dbus-daemon did not start");
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString& name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

QDBusConnection PrivateSessionBus::connect(const QString& role)
{
    m_connections << m_address + QLatin1Char(' ') + role;
    return QDBusConnection::connectToBus(m_address, m_connections.constLast());
}
