#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A sound server of the test's own with a null sink of 44.1 kHz float stereo, in a private
// runtime folder, that the test can end by its PID and start again on the same socket, as a
// desktop's sound server restarts: a PulseAudio daemon, or PipeWire with its session manager and
// its PulseAudio service. While it lives, PULSE_SERVER names it.
class SoundServer
{
public:
    enum class Kind
    {
        PulseAudio,
        PipeWire,
    };

    explicit SoundServer(Kind kind = Kind::PulseAudio);
    ~SoundServer() { stop(); }

    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Starts the daemon and waits until it takes connections; false when it does not.
    bool start();
    // Ends the daemon by its PID and waits for it.
    void stop();

private:
    const Kind m_kind;
    QTemporaryDir m_folder;
    QProcess m_daemon;
};

// What `pactl list sink-inputs` tells of the streams that play.
QString sinkInputs();
