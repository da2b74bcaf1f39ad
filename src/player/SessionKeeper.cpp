#include "player/SessionKeeper.h"

#include "audio/WorkQueue.h"
#include "player/PlayerWindowController.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct SessionKeeper::Writer
{
    explicit Writer(QString sessionPath) : path(std::move(sessionPath)) {}

    // On the writing thread, which ends when nothing is left to write.
    void writeAll()
    {
        std::unique_lock lock(mutex);
        while (pending) {
            const SavedSession session = *std::exchange(pending, std::nullopt);
            lock.unlock();
            const bool written = session.write(path);
            lock.lock();
            failed = failed || !written;
        }
        writing = false;
        idle.notify_all();
    }

    const QString path;
    std::mutex mutex;
    std::condition_variable idle;
    std::optional<SavedSession> pending;
    bool writing = false;
    bool failed = false;
};

SessionKeeper::SessionKeeper(PlayerWindowController& player, QString path, QObject* parent)
    : QObject(parent), m_player(player), m_writer(std::make_shared<Writer>(std::move(path)))
{
    m_whilePlaying.setInterval(playingSaveIntervalMs);
    connect(&m_whilePlaying, &QTimer::timeout, this, [this] { writeInBackground(current()); });
    connect(&player, &PlayerInterface::stateChanged, this, &SessionKeeper::playerChanged);
}

// A write still under way goes on on its thread, which holds what it needs.
SessionKeeper::~SessionKeeper() = default;

void SessionKeeper::save()
{
    writeInBackground(current());
    std::unique_lock lock(m_writer->mutex);
    m_writer->idle.wait_for(lock, std::chrono::milliseconds(saveWaitMs),
                            [this] { return !m_writer->writing; });
}

void SessionKeeper::writeInBackground(SavedSession session)
{
    std::lock_guard lock(m_writer->mutex);
    if (std::exchange(m_writer->failed, false))
        m_written.reset();
    if (session.playlist.isEmpty() || session == m_written)
        return;
    m_written = session;
    m_writer->pending = std::move(session);
    if (!std::exchange(m_writer->writing, true))
        WorkQueue::lane(WorkLane::Files).run([writer = m_writer] { writer->writeAll(); });
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
            m_player.isPaused(), m_player.volume()};
}

#include "moc_SessionKeeper.cpp"
