#pragma once

#include "audio/ReceiverLink.h"

#include <functional>

#include <QDBusConnection>
#include <QObject>

class QDBusMessage;
class QDBusPendingCallWatcher;

// The desktop's dark-style preference as the settings portal publishes it: the key
// "color-scheme" of "org.freedesktop.appearance", 1 for a dark style, 2 for a light one, 0 for
// no preference.
//
// Nothing here waits on the desktop. The bus is connected on the desktop's lane of the work
// queue (a missing bus is looked for, and a new connection makes a round trip), and the
// connection comes back through the inbox; the portal is asked without
// waiting for its answer, and an answer that does not come within readTimeout is given up, so
// a desktop without a session bus or without the portal costs the launch nothing.
class SettingsPortal final : public QObject
{
    Q_OBJECT

public:
    using BusConnector = std::function<QDBusConnection()>;
    static constexpr int readTimeout = 500; // milliseconds

    explicit SettingsPortal(BusConnector connectToBus = &QDBusConnection::sessionBus,
                            QObject* parent = nullptr);

    // Reads the preference once and follows its changes from then on.
    void start();

Q_SIGNALS:
    // After the portal's first answer and after each change it announces.
    void colorSchemeChanged(bool prefersDark);

private Q_SLOTS:
    void settingChanged(const QDBusMessage& change);

private:
    void connected(QDBusConnection bus);
    void readDidFinish(QDBusPendingCallWatcher* call);

    BusConnector m_connectToBus;
    // Cut as the portal goes: a connection made after that is dropped.
    ReceiverLink m_connection;
    // A change announced before the first answer arrives is newer than that answer.
    bool m_changeAnnounced = false;
};
