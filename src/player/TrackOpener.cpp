#include "player/TrackOpener.h"

#include <utility>

TrackOpener::TrackOpener(AudioPlayer::Factory factory) : m_factory(std::move(factory))
{
    // Enough that a few files on a hung mount leave others free to open.
    m_pool.setMaxThreadCount(4);
}

TrackOpener::~TrackOpener()
{
    m_pool.waitForDone();
}

void TrackOpener::open(QList<Candidate> candidates, Done done)
{
    if (!m_factory.readsDisk) {
        done(openFirst(candidates));
        return;
    }
    const std::uint64_t id = ++m_openingsMade;
    m_waiting.emplace(id, std::move(done));
    m_pool.start([this, id, candidates = std::move(candidates)] {
        Opened opened = openFirst(candidates);
        std::lock_guard lock(m_resultsMutex);
        m_results.emplace_back(id, std::move(opened));
        m_notice.post();
    });
}

TrackOpener::Opened TrackOpener::openFirst(const QList<Candidate>& candidates) const
{
    for (const Candidate& candidate : candidates) {
        QString error;
        if (std::unique_ptr<AudioPlayer::Opening> opening = m_factory.open(candidate.path, &error))
            return {candidate.index, std::move(opening)};
    }
    return {};
}

void TrackOpener::deliver()
{
    std::vector<std::pair<std::uint64_t, Opened>> results;
    {
        std::lock_guard lock(m_resultsMutex);
        results.swap(m_results);
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
