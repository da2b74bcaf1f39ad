#pragma once

#include "platform/AudioOutput.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include <QObject>

class PlaybackStream;

// The sound output of the program's whole run: one device stream that the players of
// successive tracks feed in turn, so that a track change never closes it and a track that ends
// flows into the next one without a break. It opens when the first track is prepared and
// reopens only for another sample rate or channel count. Without a device, or after losing
// it, the audio goes on silently on a real-time clock.
//
// Threads: the members are called on the main thread; render() runs on the device's thread
// and takes the streams in the queue in order, so the next track's first frame follows the last
// frame of the one before in the same device buffer. A stream leaves the queue once every frame
// of it has been handed over, while its tail still sounds from the device's buffer. The queue
// is guarded by a lock that is never held while calling the device, whose own lock its thread
// holds while it renders.
class SessionOutput final : private AudioOutput::Client
{
public:
    // Opens an output for the format, or gives null when there is none.
    using DeviceOpener =
        std::function<std::unique_ptr<AudioOutput>(const AudioFormat&, AudioOutput::Client*)>;

    explicit SessionOutput(DeviceOpener openDevice = soundDevice());
    ~SessionOutput();

    SessionOutput(const SessionOutput&) = delete;
    SessionOutput& operator=(const SessionOutput&) = delete;

    // The desktop's sound server, else a sound device through SDL.
    static DeviceOpener soundDevice();

    // Opens the device for the stream's format when it is not open for it yet.
    void prepare(const PlaybackStream& stream);
    // Queues the stream behind what is still to be handed over and plays.
    void start(PlaybackStream& stream, const QString& mediaName);
    void pause();
    // Takes the stream out of the queue. Cutting also silences what is still to be heard.
    void remove(PlaybackStream& stream, bool cut);
    // Seeks the stream; one that is queued is cut off from the audio it had handed over.
    void seek(PlaybackStream& stream, std::int64_t frame);
    // The audible frame of the stream.
    std::int64_t positionOf(const PlaybackStream& stream);
    // True when the device applies the volume; otherwise the streams scale their samples.
    bool setVolume(float volume);

    bool isOnSilentClock() const { return m_onSilentClock; }
    const AudioOutput* device() const { return m_device.get(); }

private:
    int render(float* out, int frames, std::int64_t at) override;
    void outputLost() override;
    bool isQueued(const PlaybackStream& stream);
    bool isQueueEmpty();
    void restOnceHeard(std::int64_t end);
    void openDevice(const AudioFormat& format);
    void switchToSilentClock();
    void replaceDevice(std::unique_ptr<AudioOutput> device, bool onSilentClock);
    void setDevicePaused(bool paused);

    QObject m_mainThread; // context of what the device's thread hands to the main thread
    DeviceOpener m_openDevice;
    std::unique_ptr<AudioOutput> m_device;
    AudioFormat m_format;
    bool m_onSilentClock = false;
    bool m_deviceLost = false;
    bool m_paused = true;
    float m_deviceVolume = 1.0f;

    std::mutex m_queueMutex;
    std::deque<PlaybackStream*> m_queue;
};
