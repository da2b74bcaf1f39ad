#pragma once

#include "audio/AudioPlayer.h"
#include "audio/MainThreadNotice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <QList>
#include <QString>
#include <QThreadPool>

// Opens the entries of a playlist for playing. A factory that reads the disk is called on
// worker threads, so that a disk that blocks (a hung network mount) never blocks the window;
// one that does not is called at once.
class TrackOpener final
{
public:
    struct Candidate
    {
        qint64 index = -1;
        QString path;
    };
    struct Opened
    {
        qint64 index = -1; // -1 when none of the candidates opened
        std::unique_ptr<AudioPlayer::Opening> opening;
    };
    using Done = std::function<void(Opened)>;

    explicit TrackOpener(AudioPlayer::Factory factory);
    // Waits for the openings still running.
    ~TrackOpener();

    TrackOpener(const TrackOpener&) = delete;
    TrackOpener& operator=(const TrackOpener&) = delete;

    // Tries the candidates in order and hands the first that opens to `done`, on the main
    // thread: later for a factory that reads the disk, within this call for one that does not.
    void open(QList<Candidate> candidates, Done done);
    bool isOpening() const { return !m_waiting.empty(); }

private:
    Opened openFirst(const QList<Candidate>& candidates) const;
    void deliver();

    const AudioPlayer::Factory m_factory;
    std::uint64_t m_openingsMade = 0;
    std::map<std::uint64_t, Done> m_waiting;

    std::mutex m_resultsMutex;
    std::vector<std::pair<std::uint64_t, Opened>> m_results;
    MainThreadNotice m_notice{[this] { deliver(); }};
    QThreadPool m_pool;
};
