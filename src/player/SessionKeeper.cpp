#include "player/SessionKeeper.h"

#include "player/PlayerWindowController.h"

SessionKeeper::SessionKeeper(PlayerWindowController& player, QString path, QObject* parent)
    : QObject(parent), m_player(player), m_path(std::move(path))
{
    m_writer.setMaxThreadCount(1);
    m_whilePlaying.setInterval(playingSaveIntervalMs);
    connect(&m_whilePlaying, &QTimer::timeout, this, [this] { writeInBackground(current()); });
    connect(&player, &PlayerInterface::stateChanged, this, &SessionKeeper::playerChanged);
}

SessionKeeper::~SessionKeeper()
{
    m_writer.waitForDone();
}

void SessionKeeper::save()
{
    writeInBackground(current());
    m_writer.waitForDone();
}

void SessionKeeper::writeInBackground(SavedSession session)
{
    if (m_lastWriteFailed.exchange(false))
        m_written.reset();
    if (session.playlist.isEmpty() || session == m_written)
        return;
    m_written = session;
    m_writer.start([this, session = std::move(session)] {
        if (!session.write(m_path))
            m_lastWriteFailed = true;
    });
}

// The player reports changes often and at times when nothing changed; while a track plays, the
// position alone is left to the timer.
void SessionKeeper::playerChanged()
{
    const bool playing = static_cast<const PlayerInterface&>(m_player).isPlaying();
    if (!playing)
        m_whilePlaying.stop();
    else if (!m_whilePlaying.isActive())
        m_whilePlaying.start();
    SavedSession session = current();
    SavedSession compared = session;
    if (playing && m_written)
        compared.position = m_written->position;
    if (compared != m_written)
        writeInBackground(std::move(session));
}

SavedSession SessionKeeper::current() const
{
    const auto& player = static_cast<const PlayerInterface&>(m_player);
    return {m_player.playlist(), m_player.playlistIndex(), player.currentTime(),
            m_player.isPaused()};
}

#include "moc_SessionKeeper.cpp"
