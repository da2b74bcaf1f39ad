#pragma once

#include "desktop/MprisRequests.h"
#include "player/PlayerInterface.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>

// The interface org.mpris.MediaPlayer2.Player of the player's object: the transport, the
// position and what plays.
//
// Every method calls the player's transport, once the call has been answered: a
// track change may show an alert, whose event loop would otherwise keep the caller waiting.
// Qt announces no change of a property, so publishChanges() compares the properties with those
// last announced whenever the player reports a change, and sends PropertiesChanged with
// the ones that differ. Position is never announced: a jump is told by Seeked.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl CONSTANT)

public:
    static constexpr char noTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

    MprisPlayerAdaptor(QObject* object, PlayerInterface& player, const MprisRequests& requests);

    // Announcements go out on this connection from now on, compared with the properties now.
    void publishOn(const QDBusConnection& connection);

    QString playbackStatus() const;
    double rate() const { return 1.0; }
    void setRate(double rate);
    bool shuffle() const;
    void setShuffle(bool enabled);
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const { return canPlay(); }
    bool canSeek() const;
    bool canControl() const { return true; }

public Q_SLOTS:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString& Uri);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    void publishChanges();
    QVariantMap changeableProperties() const;
    QDBusObjectPath trackId() const;
    template <typename Action> void later(Action action);

    PlayerInterface& m_player;
    const MprisRequests& m_requests;
    QDBusConnection m_connection{QString()};
    QVariantMap m_published;
};
