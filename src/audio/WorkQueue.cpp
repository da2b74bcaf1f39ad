#include "audio/WorkQueue.h"

#include <algorithm>
#include <thread>

namespace {

// A few hung openings, one a track, still leave room for the others and the session's writes.
constexpr int fileThreads = 4;
// A load's four analyses run at once, also on two cores.
constexpr int minimumAnalysisThreads = 4;

} // namespace

WorkQueue& WorkQueue::lane(WorkLane lane)
{
    switch (lane) {
    case WorkLane::Files: {
        static auto* const files = new WorkQueue(fileThreads);
        return *files;
    }
    case WorkLane::Analyses: {
        static auto* const analyses = new WorkQueue(std::max(
            static_cast<int>(std::thread::hardware_concurrency()), minimumAnalysisThreads));
        return *analyses;
    }
    case WorkLane::Devices: {
        // One thread for the whole run: SDL keeps data of its own for each thread that calls it,
        // which a thread per opening would leave behind every time.
        static auto* const devices = new WorkQueue(1);
        return *devices;
    }
    case WorkLane::Decoding: {
        // As many threads as streams have played at once: the current track, the next one and a
        // tail or two.
        static auto* const decoding = new WorkQueue(0, true);
        return *decoding;
    }
    case WorkLane::Desktop:
        break;
    }
    static auto* const desktop = new WorkQueue(1);
    return *desktop;
}

WorkQueue::WorkQueue(int threadCount, bool grows) : m_grows(grows)
{
    for (int i = 0; i < threadCount; ++i)
        std::thread([this] { work(); }).detach();
}

void WorkQueue::run(std::function<void()> job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (m_grows && m_jobs.size() > m_idle)
            std::thread([this] { work(); }).detach();
    }
    m_queued.notify_one();
}

void WorkQueue::waitForDone()
{
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [this] { return m_jobs.empty() && m_running == 0; });
}

void WorkQueue::work()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        ++m_idle;
        m_queued.wait(lock, [this] { return !m_jobs.empty(); });
        --m_idle;
        const std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_running;
        lock.unlock();
        job();
        lock.lock();
        --m_running;
        m_finished.notify_all();
    }
}
