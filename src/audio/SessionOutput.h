#pragma once

#include "audio/AudioOutput.h"
#include "audio/CutRamp.h"
#include "audio/DeviceOpening.h"
#include "audio/DrainingDevice.h"
#include "audio/MainThreadNotice.h"
#include "audio/SessionDevice.h"
#include "audio/StreamQueue.h"

#include <functional>
#include <memory>

#include <QString>
#include <QTimer>

class PlaybackStream;

// The sound output of the program's whole run: one device stream that the players of
// successive tracks feed in turn, so that a track change never closes it and a track that ends
// flows into the next one without a break. It opens when the first track is prepared and
// reopens only for another sample rate or channel count; then the old stream plays out what it
// holds before the new one starts. Devices open on a thread of their own, so that a sound
// server that does not answer never holds the main thread; meanwhile the silent clock stands
// in. Without a device, or after losing it, the audio goes on silently on that real-time
// clock, and the device is tried again at every track and every second of play, until sound
// resumes where the clock is.
//
// Its parts: the streams the render thread takes (StreamQueue), each device with the route it
// renders through (SessionDevice), the old format's device playing out its tail
// (DrainingDevice) and the ramp before a cut (CutRamp); this class decides between them.
//
// Threads: the members are called on the main thread; only the queue of streams is touched by
// the device's thread. What the render thread tells the main thread travels in atomics and a
// notice, as that thread must not lock; an opened or lost device comes back through the inbox.
class SessionOutput final
{
public:
    // Opens an output for the format, or gives null when there is none.
    using DeviceOpener = DeviceOpening::Opener;

    explicit SessionOutput(DeviceOpener openDevice = soundDevice());
    ~SessionOutput();

    SessionOutput(const SessionOutput&) = delete;
    SessionOutput& operator=(const SessionOutput&) = delete;

    // The desktop's sound server, else a sound device through SDL.
    static DeviceOpener soundDevice();

    // Opens the device for the stream's format when it is not open for it yet, or tries the
    // device again while on the silent clock.
    void prepare(const PlaybackStream& stream);
    // Queues the stream behind what is still to be handed over and plays.
    void start(PlaybackStream& stream, const QString& mediaName);
    void pause();
    // Takes the stream out of the queue and silences what of it is still to be heard.
    void remove(PlaybackStream& stream);
    // Seeks the stream; one that is queued or whose tail sounds is cut off from the audio it
    // had handed over, and plays on from the frame sought.
    void seek(PlaybackStream& stream, std::int64_t frame);
    // The audible frame of the stream.
    std::int64_t positionOf(const PlaybackStream& stream);
    // How many frames of what plays now are still heard after a cut made now: it waits for its
    // ramp.
    std::int64_t cutDelay();
    // The volume of everything played, 0 … 1, heard within a sink's block where the device
    // rewrites what it holds, else from what is rendered next.
    void setVolume(float volume);

    // Also while the device opens.
    bool isOnSilentClock() const { return m_onSilentClock; }
    const AudioOutput* device() const { return m_device.output.get(); }

private:
    void handleNotices();
    void checkSounding();
    void tellHanded();
    AudioOutput* outputOfRoute(std::uint64_t route) const;
    bool soundsOnDrainingDevice(const PlaybackStream& stream);
    void dropQueued();
    void openDevice(const AudioFormat& format);
    void takeOpenedDevice(SessionDevice device);
    void stopWaitingForDevice();
    void retireDevice();
    void carryStreamsOver();
    void restartFromHeard();
    void restartFrom(std::int64_t played);
    bool beginFade();
    void awaitFadeEnd();
    void finishCut();
    void bringBackDrainingDevice();
    void install(SessionDevice device, bool onSilentClock);
    void switchToSilentClock();
    void retrySoundDevice();
    void finishDrain();
    void applyVolume();
    float streamVolume() const;
    void setDevicePaused(bool paused);
    void cutUnheard();

    DeviceOpening m_opening;
    SessionDevice m_device;
    // The device of the previous format while it plays out its tail; the current one waits.
    DrainingDevice m_draining;
    AudioFormat m_format;
    bool m_onSilentClock = false;
    bool m_paused = true;
    float m_volume = 1.0f;
    float m_volumeOnDevice = 1.0f;
    QString m_mediaName;
    QTimer m_retryTimer;
    QTimer m_soundingTimer;
    QTimer m_idleTimer;
    QTimer m_restTimer;
    CutRamp m_ramp;

    StreamQueue m_streams;

    // Tells the main thread of ended streams, from the render thread, which must not lock.
    MainThreadNotice m_notice;
};
