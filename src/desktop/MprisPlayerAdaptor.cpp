#include "desktop/MprisPlayerAdaptor.h"

#include "decoder/TrackTitles.h"
#include "desktop/MprisService.h"

#include <algorithm>
#include <cmath>

#include <QDBusMessage>

namespace {

// The properties that may change, in the order they are announced.
constexpr const char* changeable[] = {"PlaybackStatus", "Metadata",  "Shuffle",
                                      "Volume",         "CanGoNext", "CanGoPrevious",
                                      "CanPlay",        "CanPause",  "CanSeek"};

// No length or position reaches the limit; the conversion is guarded all the same.
constexpr double longestSeconds = 9e12;

qlonglong microseconds(double seconds)
{
    if (!(seconds > 0.0))
        return 0;
    return std::llround(std::min(seconds, longestSeconds) * 1e6);
}

} // namespace

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, PlayerInterface& player,
                                       const MprisRequests& requests)
    : QDBusAbstractAdaptor(object), m_player(player), m_requests(requests)
{
    connect(&m_player, &PlayerInterface::stateChanged, this, &MprisPlayerAdaptor::publishChanges);
    connect(&m_player, &PlayerInterface::positionJumped, this,
            [this] { Q_EMIT Seeked(position()); });
}

void MprisPlayerAdaptor::publishOn(const QDBusConnection& connection)
{
    m_connection = connection;
    m_published = changeableProperties();
}

void MprisPlayerAdaptor::publishChanges()
{
    if (!m_connection.isConnected())
        return;
    const QVariantMap now = changeableProperties();
    QVariantMap changed;
    for (auto property = now.cbegin(); property != now.cend(); ++property) {
        if (m_published.value(property.key()) != property.value())
            changed.insert(property.key(), property.value());
    }
    m_published = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(MprisService::objectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    m_connection.send(signal);
}

QVariantMap MprisPlayerAdaptor::changeableProperties() const
{
    QVariantMap properties;
    for (const char* name : changeable)
        properties.insert(QLatin1String(name), property(name));
    return properties;
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    if (m_player.isPlaying())
        return QStringLiteral("Playing");
    return m_player.isPaused() ? QStringLiteral("Paused") : QStringLiteral("Stopped");
}

void MprisPlayerAdaptor::setRate(double rate)
{
    // The one rate is 1; a rate of 0 asks for a pause.
    if (rate == 0.0)
        Pause();
}

bool MprisPlayerAdaptor::shuffle() const
{
    return m_player.isShuffleEnabled();
}

void MprisPlayerAdaptor::setShuffle(bool enabled)
{
    m_requests.setShuffleEnabled(enabled);
}

// Each load is a track of its own, also the same file loaded again: a position meant for an
// earlier load is not applied to this one.
QDBusObjectPath MprisPlayerAdaptor::trackId() const
{
    if (!m_player.hasTrack())
        return QDBusObjectPath(QLatin1String(noTrack));
    return QDBusObjectPath(
        QStringLiteral("/org/kassolin/track/%1").arg(m_player.analysisGeneration()));
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    QVariantMap metadata{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())}};
    if (!m_player.hasTrack())
        return metadata;
    const TrackTags& tags = m_player.trackTags();
    const QUrl& file = m_player.currentFile();
    metadata.insert(QStringLiteral("mpris:length"), microseconds(m_player.duration()));
    metadata.insert(QStringLiteral("xesam:title"), trackTitle(tags.title, file));
    metadata.insert(QStringLiteral("xesam:url"), file.toString(QUrl::FullyEncoded));
    if (!tags.artist.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{tags.artist});
    if (!tags.album.isEmpty())
        metadata.insert(QStringLiteral("xesam:album"), tags.album);
    if (!tags.coverURL.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), tags.coverURL.toString(QUrl::FullyEncoded));
    return metadata;
}

double MprisPlayerAdaptor::volume() const
{
    return m_player.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    if (!std::isnan(volume))
        m_player.setVolume(static_cast<float>(std::min(std::max(volume, 0.0), 1.0)));
}

qlonglong MprisPlayerAdaptor::position() const
{
    return microseconds(m_player.currentTime());
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_player.hasNextTrack();
}

// Previous always acts: it goes back a track, rewinds, or starts the first track again.
bool MprisPlayerAdaptor::canGoPrevious() const
{
    return !m_player.isPlaylistEmpty();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_player.hasTrack();
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_player.duration() > 0.0;
}

template <typename Action> void MprisPlayerAdaptor::later(Action action)
{
    // Dropped with this adaptor; the player outlives it.
    QMetaObject::invokeMethod(
        this, [player = &m_player, action] { action(*player); }, Qt::QueuedConnection);
}

void MprisPlayerAdaptor::Play()
{
    later([](PlayerInterface& player) { player.startPlayback(); });
}

void MprisPlayerAdaptor::Pause()
{
    later([](PlayerInterface& player) { player.pause(); });
}

void MprisPlayerAdaptor::PlayPause()
{
    later([](PlayerInterface& player) { player.togglePlayPause(); });
}

void MprisPlayerAdaptor::Stop()
{
    later([](PlayerInterface& player) { player.stop(); });
}

void MprisPlayerAdaptor::Next()
{
    later([](PlayerInterface& player) { player.playNextTrack(); });
}

void MprisPlayerAdaptor::Previous()
{
    later([](PlayerInterface& player) { player.playPreviousTrack(); });
}

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    later([Offset](PlayerInterface& player) {
        if (!(player.duration() > 0.0))
            return; // no seeking in a track of unknown length
        const double target = player.currentTime() + static_cast<double>(Offset) / 1e6;
        // Past the end is the next track, as the interface asks.
        if (target >= player.duration())
            player.playNextTrack();
        else
            player.seekToTime(std::max(target, 0.0));
    });
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    // Compared when it acts: a track change asked for before it comes first.
    later([this, TrackId, Position](PlayerInterface& player) {
        if (TrackId != trackId() || Position < 0 || !player.hasTrack() ||
            Position > microseconds(player.duration()))
            return;
        player.seekToTime(static_cast<double>(Position) / 1e6);
    });
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri)
{
    // Taken as the desktop hands over a file, MP3s of this machine only.
    const QUrl url(Uri);
    if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return;
    QMetaObject::invokeMethod(
        this, [this, file = QUrl::fromLocalFile(url.path())] { m_requests.open({file}); },
        Qt::QueuedConnection);
}

#include "moc_MprisPlayerAdaptor.cpp"
