#include "desktop/ScreenLock.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

ScreenLock::ScreenLock(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
    for (const char* name : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"})
        watch(QString::fromLatin1(name));
}

// Both the service and its object are named after the interface.
void ScreenLock::watch(const QString& name)
{
    const QString path =
        QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
    if (!m_bus.connect(name, path, name, QStringLiteral("ActiveChanged"), this,
                       SLOT(activeChanged(bool))))
        return;
    // Locked already at the start; a change told meanwhile is newer than this answer.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(name, path, name, QStringLiteral("GetActive"));
    auto* answer = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, answer, toldBefore = m_changesTold] {
                const QDBusPendingReply<bool> reply = *answer;
                if (reply.isValid() && reply.value() && m_changesTold == toldBefore)
                    setLocked(true);
                answer->deleteLater();
            });
}

void ScreenLock::activeChanged(bool active)
{
    ++m_changesTold;
    setLocked(active);
}

void ScreenLock::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    m_locked = locked;
    Q_EMIT lockedChanged(locked);
}

#include "moc_ScreenLock.cpp"
