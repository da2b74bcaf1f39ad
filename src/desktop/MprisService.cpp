#include "desktop/MprisService.h"

#include "desktop/MprisPlayerAdaptor.h"
#include "desktop/MprisRootAdaptor.h"

#include <QCoreApplication>

MprisService::MprisService(AppDelegate& delegate, QObject* parent)
    : QObject(parent), m_player(new MprisPlayerAdaptor(this, delegate))
{
    new MprisRootAdaptor(this, delegate);
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
