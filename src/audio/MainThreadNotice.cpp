#include "audio/MainThreadNotice.h"

#include <cstdint>

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

MainThreadNotice::MainThreadNotice(std::function<void()> handler)
    : m_handler(std::move(handler)), m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_fd < 0)
        return; // no descriptor left: post() falls back to Qt's queue
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MainThreadNotice::deliver);
}

MainThreadNotice::~MainThreadNotice()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void MainThreadNotice::post()
{
    if (m_fd < 0) {
        QMetaObject::invokeMethod(this, m_handler, Qt::QueuedConnection);
        return;
    }
    const std::uint64_t one = 1;
    // A full counter (2^64 - 2 posts unread) still wakes the reader, so a failed write is moot.
    [[maybe_unused]] const ssize_t written = ::write(m_fd, &one, sizeof one);
}

void MainThreadNotice::deliver()
{
    std::uint64_t posts = 0;
    if (::read(m_fd, &posts, sizeof posts) == sizeof posts && m_handler)
        m_handler();
}
