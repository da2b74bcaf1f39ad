#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// Runs jobs on threads of its own, first come first served, for the whole run of the program.
// Make one with new and never destroy it: at the end a job may still wait on a disk or a server
// that does not answer, and nothing waits for it. Its locks are the standard library's, which
// ThreadSanitizer sees, where it cannot see the locks of Qt's thread pool.
class WorkQueue final
{
public:
    explicit WorkQueue(int threadCount);

    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Any thread.
    void run(std::function<void()> job);
    // Returns once every job queued so far has finished.
    void waitForDone();

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::deque<std::function<void()>> m_jobs;
    int m_running = 0;
};
