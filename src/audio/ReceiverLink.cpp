#include "audio/ReceiverLink.h"

#include <utility>

void ReceiverLink::Inbox::post(std::function<void()> call)
{
    std::lock_guard lock(m_mutex);
    if (!m_notice)
        return; // the call goes with this frame, after the lock
    m_calls.push_back(std::move(call));
    m_notice->post();
}

ReceiverLink::ReceiverLink()
{
    m_inbox->m_notice = &m_notice;
}

void ReceiverLink::cut()
{
    m_inbox->m_cut = true;
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(m_inbox->m_mutex);
    m_inbox->m_notice = nullptr;
    dropped.swap(m_inbox->m_calls);
}

// One call at a time, each taken from the inbox as it runs: a call that runs an event loop of
// its own (a modal alert) leaves the later ones to that loop, which the notice, posted again,
// wakes for them. Taken all at once, they would wait for the alert to close. A call may end the
// link's owner, and the link with it: the inbox is held here, and a cut one holds no calls.
void ReceiverLink::runPosted()
{
    const std::shared_ptr<Inbox> inbox = m_inbox;
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(inbox->m_mutex);
            if (inbox->m_calls.empty())
                return;
            call = std::move(inbox->m_calls.front());
            inbox->m_calls.pop_front();
            if (!inbox->m_calls.empty())
                inbox->m_notice->post();
        }
        call();
    }
}
