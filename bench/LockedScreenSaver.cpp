// A desktop's screen saver on the session bus (org.freedesktop.ScreenSaver) that locks the
// screen half a second after it starts and stays locked until it is ended:
// scripts/bench-playback.sh measures the player behind it. The half second lets the player see
// the service appear before the change is told.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QTimer>

namespace {

constexpr int lockDelayMilliseconds = 500;

class LockedScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    void lock()
    {
        m_active = true;
        Q_EMIT ActiveChanged(true);
    }

public Q_SLOTS:
    bool GetActive() const { return m_active; }

Q_SIGNALS:
    void ActiveChanged(bool active);

private:
    bool m_active = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    LockedScreenSaver saver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                            QDBusConnection::ExportAllContents) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")))
        return 1;
    QTimer::singleShot(lockDelayMilliseconds, &saver, &LockedScreenSaver::lock);
    return QCoreApplication::exec();
}

#include "LockedScreenSaver.moc"
