#include "desktop/TerminationSignals.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> handledSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe of the instance that hears the signals; -1 for none. Lock-free, so
// that the handler may read it.
std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    if (const int fd = writeEnd.load(); fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        (void)!::write(fd, &byte, 1); // a full pipe already holds a signal to act on
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
        return;
    }
    m_previousWriteEnd = writeEnd.exchange(m_pipe[1]);
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
    struct sigaction action
    {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < handledSignals.size(); ++index)
        ::sigaction(handledSignals[index], &action, &m_previousActions[index]);
}

TerminationSignals::~TerminationSignals()
{
    if (m_pipe[0] < 0)
        return;
    for (std::size_t index = 0; index < handledSignals.size(); ++index)
        ::sigaction(handledSignals[index], &m_previousActions[index], nullptr);
    writeEnd.store(m_previousWriteEnd);
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TerminationSignals::readPipe()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        Q_EMIT received(byte);
}
