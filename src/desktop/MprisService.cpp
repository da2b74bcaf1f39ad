#include "desktop/MprisService.h"

#include "desktop/MprisPlayerAdaptor.h"
#include "desktop/MprisRootAdaptor.h"

#include <QCoreApplication>

MprisService::MprisService(PlayerInterface& player, MprisRequests requests, QObject* parent)
    : QObject(parent), m_requests(std::move(requests)),
      m_player(new MprisPlayerAdaptor(this, player, m_requests))
{
    new MprisRootAdaptor(this, player, m_requests);
}

MprisService::~MprisService()
{
    if (!m_serviceName.isEmpty())
        m_connection.unregisterService(m_serviceName);
}

bool MprisService::registerOn(const QDBusConnection& connection)
{
    QDBusConnection bus = connection;
    const QString path = QLatin1String(objectPath);
    if (!bus.isConnected() || !bus.registerObject(path, this, QDBusConnection::ExportAdaptors))
        return false;
    const QString name = QLatin1String(serviceBaseName);
    for (const QString& candidate :
         {name, name + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (bus.registerService(candidate)) {
            m_connection = bus;
            m_serviceName = candidate;
            m_player->publishOn(bus);
            return true;
        }
    }
    bus.unregisterObject(path);
    return false;
}

#include "moc_MprisService.cpp"
