#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A PulseAudio daemon of the test's own with a null sink of 44.1 kHz float stereo, in a private
// runtime folder, that the test can end by its PID and start again on the same socket, as a
// desktop's sound server restarts. While it lives, PULSE_SERVER names it.
class SoundServer
{
public:
    SoundServer();
    ~SoundServer() { stop(); }

    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Starts the daemon and waits until it takes connections; false when it does not.
    bool start();
    // Ends the daemon by its PID and waits for it.
    void stop();

private:
    static bool isAnswering();

    QTemporaryDir m_folder;
    QProcess m_daemon;
};
