#pragma once

#include <atomic>
#include <mutex>
#include <utility>

#include <QObject>

// The object that work on other threads hands its results to, for as long as it lives. Each
// job holds the link; the receiver cuts it as it goes instead of waiting for the jobs, which
// may wait on a disk that does not answer. A job that ends after the cut posts nothing. Posting
// and cutting take one lock, so nothing is ever posted to an object that is being destroyed.
class ReceiverLink final
{
public:
    explicit ReceiverLink(QObject* receiver) : m_receiver(receiver) {}

    ReceiverLink(const ReceiverLink&) = delete;
    ReceiverLink& operator=(const ReceiverLink&) = delete;

    // Any thread: queues `call` to run on the receiver's thread, unless the link is cut.
    template <typename Call> void post(Call&& call)
    {
        std::lock_guard lock(m_mutex);
        if (m_receiver)
            QMetaObject::invokeMethod(m_receiver, std::forward<Call>(call), Qt::QueuedConnection);
    }

    // Set once cut: long work polls it to stop early.
    const std::atomic<bool>& isCut() const { return m_cut; }

    // On the receiver's thread, as it goes.
    void cut()
    {
        m_cut = true;
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_receiver;
    std::atomic<bool> m_cut{false};
};
