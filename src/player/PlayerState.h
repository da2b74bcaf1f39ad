#pragma once

#include <cstdint>
#include <random>

#include <QList>
#include <QUrl>

// The player's state apart from its window and its sound: the playlist with its current entry,
// pause, shuffle and the A-B loop, with the rules the transport keys follow on them. The
// controller holds one and does the loading, the sound and the displays around it.
class PlayerState
{
public:
    // The most entries a list holds.
    static constexpr qsizetype playlistLimit = 500;

    // `seed` picks the shuffle's order; the controller seeds from the system.
    explicit PlayerState(std::uint64_t seed) : m_shuffleRandom(seed) {}
    // The same seed gives the same shuffled order again: a run of commands can be repeated.
    void seedShuffle(std::uint64_t seed) { m_shuffleRandom.seed(seed); }

    const QList<QUrl>& playlist() const { return m_playlist; }
    // −1 before the first load.
    qint64 playlistIndex() const { return m_playlistIndex; }
    // The list and its current entry, a start outside the list clamped into it. An empty list
    // leaves the state as it was.
    void setPlaylist(const QList<QUrl>& urls, qint64 startIndex);
    // Appends what fits below playlistLimit, in order, and gives how many that was; the current
    // entry stays as it is.
    qsizetype append(const QList<QUrl>& urls);
    // The entries after the current one become those at `kept`, in that order: an edit of what
    // comes next, which leaves the current entry and those before it alone. False, changing
    // nothing, when `kept` names another entry or one twice.
    bool keepUpcoming(const QList<qint64>& kept);
    // An index outside the list is ignored.
    void setPlaylistIndex(qint64 index);
    bool containsIndex(qint64 index) const { return index >= 0 && index < m_playlist.size(); }
    bool hasEntryAfterCurrent() const;
    // Where next goes from an entry that has one after it: the following entry, or with
    // shuffle any later one, never back.
    qint64 nextIndex();
    // Where previous goes when it does not rewind: one back, the first staying first.
    qint64 previousIndex() const;

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    bool isShuffleEnabled() const { return m_shuffleEnabled; }
    void setShuffleEnabled(bool enabled) { m_shuffleEnabled = enabled; }

    // Set A or B at a time; true when B then lies after A, which turns the loop on. A loop
    // once on stays on until cleared, but jumps only while B lies after A.
    bool setLoopStart(double time);
    bool setLoopEnd(double time);
    void clearLoop();
    bool isLoopEnabled() const { return m_loopEnabled; }
    bool hasLoopStart() const { return m_loopStart >= 0; }
    bool hasLoopEnd() const { return m_loopEnd >= 0; }
    // −1 while unset.
    double loopStart() const { return m_loopStart; }
    double loopEnd() const { return m_loopEnd; }
    // Whether a position heard at `time` has reached B, so that the loop jumps back to A.
    bool loopJumpsAt(double time) const;

    // A track is made current: it starts unpaused and without loop points.
    void enterTrack();

private:
    QList<QUrl> m_playlist;
    qint64 m_playlistIndex = -1;
    bool m_paused = false;
    bool m_shuffleEnabled = false;
    std::mt19937_64 m_shuffleRandom;
    double m_loopStart = -1.0;
    double m_loopEnd = -1.0;
    bool m_loopEnabled = false;
};
