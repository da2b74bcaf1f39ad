#include "player/TrackOpener.h"

#include "audio/WorkQueue.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

// How long the opener waits, as it goes, for the openings under way: long enough for any that
// reads a disk that answers, so that what the factory holds goes on this thread.
constexpr std::chrono::milliseconds lastOpeningsWait(250);

} // namespace

struct TrackOpener::Running
{
    std::mutex mutex;
    std::condition_variable ended;
    int count = 0;
};

TrackOpener::TrackOpener(AudioPlayer::Factory factory)
    : m_factory(std::make_shared<const AudioPlayer::Factory>(std::move(factory))),
      m_running(std::make_shared<Running>())
{}

TrackOpener::~TrackOpener()
{
    m_openings.cut();
    std::unique_lock lock(m_running->mutex);
    m_running->ended.wait_for(lock, lastOpeningsWait, [this] { return m_running->count == 0; });
}

void TrackOpener::open(QList<Candidate> candidates, Done done)
{
    const std::uint64_t id = ++m_openingsMade;
    m_waiting.emplace(id, std::move(done));
    {
        std::lock_guard lock(m_running->mutex);
        ++m_running->count;
    }
    WorkQueue::lane(WorkLane::Files)
        .run([this, factory = m_factory, running = m_running, openings = m_openings.inbox(), id,
              candidates = std::move(candidates)]() mutable {
            // Shared only to be carried by a copyable call. What opened after the opener has gone
            // is closed here, with the call that is dropped.
            auto opened = std::make_shared<Opened>(openFirst(*factory, candidates));
            openings->post([this, id, opened] { deliver(id, std::move(*opened)); });
            opened.reset();
            openings.reset();
            factory.reset();
            // Counted out once nothing of the opener is held here any more.
            std::lock_guard lock(running->mutex);
            --running->count;
            running->ended.notify_all();
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

void TrackOpener::deliver(std::uint64_t id, Opened opened)
{
    const auto waiting = m_waiting.find(id);
    if (waiting == m_waiting.end())
        return;
    const Done done = std::move(waiting->second);
    m_waiting.erase(waiting);
    done(std::move(opened));
}
