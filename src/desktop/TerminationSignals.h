#pragma once

#include <array>
#include <csignal>

#include <QObject>
#include <QSocketNotifier>

// SIGTERM, SIGINT and SIGHUP (a logout, a terminal closed, a service manager's stop) become a
// signal on the main thread, so that the program quits as its menu's quit does, keeping its
// place, instead of dying where it stands. The handler only writes to a pipe, which is all that
// may be done inside one; the notifier reads it in the event loop. While several exist, the one
// made last hears them.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    int m_previousWriteEnd = -1;
    std::array<struct sigaction, 3> m_previousActions{};
    QSocketNotifier* m_notifier = nullptr;
};
