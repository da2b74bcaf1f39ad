#include "player/PlayerState.h"

#include <QSet>

#include <algorithm>

void PlayerState::setPlaylist(const QList<QUrl>& urls, qint64 startIndex)
{
    if (urls.isEmpty())
        return;
    m_playlist = urls;
    m_playlistIndex = std::clamp<qint64>(startIndex, 0, urls.size() - 1);
}

qsizetype PlayerState::append(const QList<QUrl>& urls)
{
    const qsizetype added =
        std::min(std::max<qsizetype>(playlistLimit - m_playlist.size(), 0), urls.size());
    m_playlist += urls.first(added);
    return added;
}

bool PlayerState::keepUpcoming(const QList<qint64>& kept)
{
    QList<QUrl> edited = m_playlist.first(std::max<qint64>(m_playlistIndex + 1, 0));
    QSet<qint64> taken;
    for (const qint64 index : kept) {
        if (index <= m_playlistIndex || !containsIndex(index) || taken.contains(index))
            return false;
        taken.insert(index);
        edited << m_playlist[index];
    }
    m_playlist = edited;
    return true;
}

void PlayerState::setPlaylistIndex(qint64 index)
{
    if (containsIndex(index))
        m_playlistIndex = index;
}

bool PlayerState::hasEntryAfterCurrent() const
{
    return m_playlistIndex >= 0 && m_playlistIndex < m_playlist.size() - 1;
}

qint64 PlayerState::nextIndex()
{
    const qint64 count = m_playlist.size();
    if (!m_shuffleEnabled || count < 2)
        return m_playlistIndex + 1;
    // Forward only: uniformly one of the entries after the current one.
    std::uniform_int_distribution<qint64> laterEntry(m_playlistIndex + 1, count - 1);
    return laterEntry(m_shuffleRandom);
}

qint64 PlayerState::previousIndex() const
{
    return std::max<qint64>(m_playlistIndex - 1, 0);
}

bool PlayerState::setLoopStart(double time)
{
    m_loopStart = time;
    const bool closed = m_loopEnd > m_loopStart;
    m_loopEnabled = m_loopEnabled || closed;
    return closed;
}

bool PlayerState::setLoopEnd(double time)
{
    m_loopEnd = time;
    const bool closed = m_loopStart >= 0 && m_loopEnd > m_loopStart;
    m_loopEnabled = m_loopEnabled || closed;
    return closed;
}

void PlayerState::clearLoop()
{
    m_loopStart = -1.0;
    m_loopEnd = -1.0;
    m_loopEnabled = false;
}

bool PlayerState::loopJumpsAt(double time) const
{
    return m_loopEnabled && m_loopStart >= 0 && m_loopEnd > m_loopStart && time >= m_loopEnd;
}

void PlayerState::enterTrack()
{
    m_paused = false;
    clearLoop();
}
