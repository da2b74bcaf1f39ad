#pragma once

#include <QDBusConnection>
#include <QObject>

// Whether the screen is locked or the screen saver runs, as the desktop's screen saver tells it
// on the session bus: org.freedesktop.ScreenSaver, which most desktops serve, or GNOME's own
// org.gnome.ScreenSaver. A desktop that serves neither counts as unlocked.
class ScreenLock final : public QObject
{
    Q_OBJECT

public:
    explicit ScreenLock(QDBusConnection bus, QObject* parent = nullptr);

    bool isLocked() const { return m_locked; }

Q_SIGNALS:
    void lockedChanged(bool locked);

private Q_SLOTS:
    void activeChanged(bool active);

private:
    void watch(const QString& name);
    void setLocked(bool locked);

    QDBusConnection m_bus;
    bool m_locked = false;
    int m_changesTold = 0;
};
