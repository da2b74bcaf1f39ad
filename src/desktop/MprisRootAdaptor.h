#pragma once

#include "desktop/MprisRequests.h"
#include "player/PlayerInterface.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>

// The interface org.mpris.MediaPlayer2 of the player's object: who it is, what it opens, and
// raising and quitting it. Its properties never change.
class MprisRootAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(bool CanRaise READ canRaise CONSTANT)
    Q_PROPERTY(bool CanQuit READ canQuit CONSTANT)
    Q_PROPERTY(bool HasTrackList READ hasTrackList CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes CONSTANT)

public:
    MprisRootAdaptor(QObject* object, PlayerInterface& player, const MprisRequests& requests);

    QString identity() const { return QStringLiteral("Kassolin"); }
    QString desktopEntry() const { return QStringLiteral("org.kassolin.Kassolin"); }
    bool canRaise() const { return true; }
    bool canQuit() const { return true; }
    bool hasTrackList() const { return false; }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const
    {
        return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-mpegurl"),
                QStringLiteral("audio/mpegurl"), QStringLiteral("audio/x-scpls")};
    }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    PlayerInterface& m_player;
    const MprisRequests& m_requests;
};
