#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

class PlayerInterface;

// Keeps the machine from suspending while a track plays, through the desktop portal's
// Inhibit (suspend only: the screen may still blank). The inhibition is released within a
// second of a pause, a stop or the end of the list, and when this object goes. A desktop without
// the portal costs nothing: the request fails quietly and is tried again at the next start of play.
//
// Each request carries a token of its own, by which the portal names it, so a pause that comes
// before the portal's answer releases the request all the same.
class SleepInhibitor final : public QObject
{
    Q_OBJECT

public:
    static constexpr uint suspendFlag = 4;
    static constexpr int answerTimeout = 1000; // milliseconds

    SleepInhibitor(PlayerInterface& player, QDBusConnection bus, QObject* parent = nullptr);
    ~SleepInhibitor() override;

private:
    void playerChanged();
    void request();
    // Without a timeout the release is sent without waiting for an answer.
    void release(int timeout = -1);

    PlayerInterface& m_player;
    QDBusConnection m_bus;
    bool m_playing = false;
    QTimer m_releaseDelay;
    int m_requestCount = 0;
    // The portal's request object while the inhibition is held or asked for.
    QString m_held;
};
