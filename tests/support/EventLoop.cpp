#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool processEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void processEventsFor(std::chrono::milliseconds duration)
{
    processEventsUntil([] { return false; }, duration);
}
