#pragma once

#include "audio/AudioPlayer.h"
#include "audio/ReceiverLink.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include <QList>
#include <QString>

// Opens the entries of a playlist for playing. The factory is called on the files' lane of the
// work queue, so that a disk that blocks (a hung network mount) never blocks the window, nor
// the quit: the
// opener gives the openings still running a moment to end when it goes, and forgets one that
// waits longer; what that opens at last is closed on its thread.
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
    ~TrackOpener();

    TrackOpener(const TrackOpener&) = delete;
    TrackOpener& operator=(const TrackOpener&) = delete;

    // Tries the candidates in order and hands the first that opens to `done`, later, on the
    // main thread.
    void open(QList<Candidate> candidates, Done done);
    bool isOpening() const { return !m_waiting.empty(); }

private:
    // Counts the openings under way.
    struct Running;

    static Opened openFirst(const AudioPlayer::Factory& factory,
                            const QList<Candidate>& candidates);
    void deliver(std::uint64_t id, Opened opened);

    // Shared with the opening threads, so that it goes on the main thread when it can.
    const std::shared_ptr<const AudioPlayer::Factory> m_factory;
    const std::shared_ptr<Running> m_running;
    std::uint64_t m_openingsMade = 0;
    std::map<std::uint64_t, Done> m_waiting;
    ReceiverLink m_openings;
};
