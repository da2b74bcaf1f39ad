#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// The kinds of wait that work off the main thread meets. Each lane has threads of its own, so
// that a disk that hangs holds no device and no analysis, and a sound server or a bus that does
// not answer holds no file.
enum class WorkLane
{
    Files,    // the user's files and the session's: openings, folder scans, session writes
    Analyses, // decoding a whole track for the displays, a load's four jobs at once
    Devices,  // connecting to the sound server or SDL, one after another
    Desktop,  // the desktop's bus and portals
    Decoding  // each playing stream decoding ahead, for as long as it plays
};

// Runs jobs on threads of its own, first come first served, for the whole run of the program.
// All work that leaves the main thread runs on one of the lanes, and its result comes back
// through a ReceiverLink. The lanes are never destroyed: at the end a job may still wait on a
// disk or a server that does not answer, and nothing waits for it. Its locks are the standard
// library's, which ThreadSanitizer sees, where it cannot see the locks of Qt's thread pool.
class WorkQueue final
{
public:
    // Made at its first use.
    static WorkQueue& lane(WorkLane lane);

    // A queue that grows makes a thread for each job that finds none idle: for jobs that run as
    // long as what they serve, such as a stream's decoding.
    explicit WorkQueue(int threadCount, bool grows = false);

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
    const bool m_grows;
    std::size_t m_idle = 0;
};
