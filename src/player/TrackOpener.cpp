#include "player/TrackOpener.h"

#include "audio/WorkQueue.h"

#include <utility>

TrackOpener::TrackOpener(AudioPlayer::Factory factory)
    : m_factory(std::make_shared<const AudioPlayer::Factory>(std::move(factory)))
{}

void TrackOpener::open(QList<Candidate> candidates, Done done)
{
    ++m_underWay;
    WorkQueue::lane(WorkLane::Files)
        .run([this, factory = m_factory, openings = m_openings.inbox(),
              candidates = std::move(candidates), done = std::move(done)] {
            // Shared only to be carried by a copyable call.
            auto opened = std::make_shared<Opened>(openFirst(*factory, candidates));
            openings->post([this, opened, done] {
                --m_underWay;
                done(std::move(*opened));
            });
        });
}

TrackOpener::Opened TrackOpener::openFirst(const AudioPlayer::Factory& factory,
                                           const QList<Candidate>& candidates)
{
    for (const Candidate& candidate : candidates) {
        QString error;
        if (std::unique_ptr<AudioPlayer::Opening> opening = factory.open(candidate.path, &error))
            return {candidate.index, std::move(opening)};
    }
    return {};
}
