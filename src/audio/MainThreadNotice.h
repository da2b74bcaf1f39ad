#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

// Wakes the thread that made it from any other thread, such as a sound output's, and runs a
// handler there. Posting writes to an event file descriptor: it allocates nothing and takes no
// lock of Qt's, so a real-time thread may post at any time, and the handler is ordered after
// every write the poster made before it. Posts made before the handler runs make one call, so
// what is to be done travels in atomics that the handler reads.
class MainThreadNotice final : public QObject
{
public:
    explicit MainThreadNotice(std::function<void()> handler);
    ~MainThreadNotice() override;

    MainThreadNotice(const MainThreadNotice&) = delete;
    MainThreadNotice& operator=(const MainThreadNotice&) = delete;

    // Any thread.
    void post();

private:
    void deliver();

    std::function<void()> m_handler;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
