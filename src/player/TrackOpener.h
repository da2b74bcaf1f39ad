#pragma once

#include "audio/AudioPlayer.h"
#include "audio/ReceiverLink.h"

#include <functional>
#include <memory>

#include <QList>
#include <QString>

// Opens the entries of a playlist for playing. The factory is called on the files' lane of the
// work queue, so that a disk that blocks (a hung network mount) never blocks the window, nor
// the quit. What opens after the opener has gone is closed on the lane's thread.
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

    TrackOpener(const TrackOpener&) = delete;
    TrackOpener& operator=(const TrackOpener&) = delete;

    // Tries the candidates in order and hands the first that opens to `done`, later, on the
    // main thread, unless the opener has gone.
    void open(QList<Candidate> candidates, Done done);
    bool isOpening() const { return m_underWay > 0; }

private:
    static Opened openFirst(const AudioPlayer::Factory& factory,
                            const QList<Candidate>& candidates);

    // Shared with the jobs, which may outlive the opener.
    const std::shared_ptr<const AudioPlayer::Factory> m_factory;
    int m_underWay = 0;
    ReceiverLink m_openings;
};
