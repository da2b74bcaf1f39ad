#pragma once

#include "audio/MainThreadNotice.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Hands the results of work on other threads to the thread that owns the link, for as long as
// the link lives. Each job holds the link's inbox; the owner cuts the link as it goes instead of
// waiting for the jobs, which may wait on a disk that does not answer. A call posted after the
// cut is dropped where it was posted. The calls travel under a lock of the inbox's own, so that
// ThreadSanitizer sees every hand-over.
class ReceiverLink final
{
public:
    class Inbox
    {
    public:
        // Any thread: queues `call` to run on the owner's thread, unless the link is cut.
        void post(std::function<void()> call);
        // Set once cut: long work polls it to stop early.
        const std::atomic<bool>& isCut() const { return m_cut; }

    private:
        friend class ReceiverLink;

        std::mutex m_mutex;
        std::deque<std::function<void()>> m_calls;
        MainThreadNotice* m_notice = nullptr; // null once cut
        std::atomic<bool> m_cut{false};
    };

    ReceiverLink();
    ~ReceiverLink() { cut(); }

    ReceiverLink(const ReceiverLink&) = delete;
    ReceiverLink& operator=(const ReceiverLink&) = delete;

    std::shared_ptr<Inbox> inbox() const { return m_inbox; }
    void cut();

private:
    void runPosted();

    const std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    MainThreadNotice m_notice{[this] { runPosted(); }};
};
