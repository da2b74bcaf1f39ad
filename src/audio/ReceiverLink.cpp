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

void ReceiverLink::runPosted()
{
    std::deque<std::function<void()>> calls;
    {
        std::lock_guard lock(m_inbox->m_mutex);
        calls.swap(m_inbox->m_calls);
    }
    for (const std::function<void()>& call : calls)
        call();
}
