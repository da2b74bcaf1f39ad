#include "player/TrackOpener.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

struct TrackOpener::Shared
{
    explicit Shared(AudioPlayer::Factory openingFactory) : factory(std::move(openingFactory)) {}

    const AudioPlayer::Factory factory;
    std::mutex mutex;
    MainThreadNotice* notice = nullptr; // null once the opener has gone
    std::vector<std::pair<std::uint64_t, Opened>> results;
};

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
    : m_shared(std::make_shared<Shared>(std::move(factory))), m_running(std::make_shared<Running>())
{
    m_shared->notice = &m_notice;
}

TrackOpener::~TrackOpener()
{
    {
        std::vector<std::pair<std::uint64_t, Opened>> results;
        std::lock_guard lock(m_shared->mutex);
        m_shared->notice = nullptr;
        results.swap(m_shared->results);
    }
    std::unique_lock lock(m_running->mutex);
    m_running->ended.wait_for(lock, lastOpeningsWait, [this] { return m_running->count == 0; });
}

void TrackOpener::open(QList<Candidate> candidates, Done done)
{
    if (!m_shared->factory.readsDisk) {
        done(openFirst(m_shared->factory, candidates));
        return;
    }
    const std::uint64_t id = ++m_openingsMade;
    m_waiting.emplace(id, std::move(done));
    {
        std::lock_guard lock(m_running->mutex);
        ++m_running->count;
    }
    std::thread([shared = m_shared, running = m_running, id,
                 candidates = std::move(candidates)]() mutable {
        Opened opened = openFirst(shared->factory, candidates);
        deliverFrom(std::move(shared), id, std::move(opened));
        // Counted out once nothing of the opener is held here any more.
        std::lock_guard lock(running->mutex);
        --running->count;
        running->ended.notify_all();
    }).detach();
}

// On the opening's thread; what opened is closed there when the opener has gone.
void TrackOpener::deliverFrom(std::shared_ptr<Shared> shared, std::uint64_t id, Opened opened)
{
    std::lock_guard lock(shared->mutex);
    if (shared->notice) {
        shared->results.emplace_back(id, std::move(opened));
        shared->notice->post();
    }
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

void TrackOpener::deliver()
{
    std::vector<std::pair<std::uint64_t, Opened>> results;
    {
        std::lock_guard lock(m_shared->mutex);
        results.swap(m_shared->results);
    }
    for (auto& [id, opened] : results) {
        const auto waiting = m_waiting.find(id);
        if (waiting == m_waiting.end())
            continue;
        const Done done = std::move(waiting->second);
        m_waiting.erase(waiting);
        done(std::move(opened));
    }
}
