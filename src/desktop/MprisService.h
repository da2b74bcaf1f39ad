#pragma once

#include "desktop/MprisRequests.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

class MprisPlayerAdaptor;
class PlayerInterface;

// The player on the session bus under the names of the MPRIS interface, so that the desktop's
// media keys and controls work it and show what plays: the object /org/mpris/MediaPlayer2
// with one adaptor for each of its two interfaces. It lives on the main thread, where the bus
// delivers its calls.
class MprisService final : public QObject
{
    Q_OBJECT

public:
    static constexpr char objectPath[] = "/org/mpris/MediaPlayer2";
    static constexpr char serviceBaseName[] = "org.mpris.MediaPlayer2.kassolin";

    MprisService(PlayerInterface& player, MprisRequests requests, QObject* parent = nullptr);
    ~MprisService() override;

    // Registers the object and the name serviceBaseName, or, while another player holds that,
    // serviceBaseName.instance<pid>. False, with nothing registered, without a usable bus.
    bool registerOn(const QDBusConnection& connection);
    // Empty until registered.
    const QString& serviceName() const { return m_serviceName; }

private:
    MprisRequests m_requests;
    MprisPlayerAdaptor* m_player;
    QDBusConnection m_connection{QString()};
    QString m_serviceName;
};
