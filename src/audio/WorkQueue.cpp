#include "audio/WorkQueue.h"

#include <thread>

WorkQueue::WorkQueue(int threadCount)
{
    for (int i = 0; i < threadCount; ++i)
        std::thread([this] { work(); }).detach();
}

void WorkQueue::run(std::function<void()> job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
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
        m_queued.wait(lock, [this] { return !m_jobs.empty(); });
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
