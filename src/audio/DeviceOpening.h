#pragma once

#include "audio/AudioOutput.h"
#include "audio/ReceiverLink.h"
#include "audio/SessionDevice.h"

#include <cstdint>
#include <functional>
#include <memory>

#include <QTimer>

class StreamQueue;

// Opens the devices of the session's output: the silent clock at once, and the sound device on
// the devices' lane, so that a sound server that does not answer never holds the main thread.
// The device comes back through the inbox; one asked for before the last request, or cancelled,
// is closed unused. While a new format's start is held for its device, it is held for a moment
// at most: a local server answers well within it, so a track's start is heard whole.
class DeviceOpening final
{
public:
    // Opens an output for the format, or gives null when there is none.
    using Opener =
        std::function<std::unique_ptr<AudioOutput>(const AudioFormat&, AudioOutput::Client*)>;

    // On the main thread: `opened` gets the device last asked for, which may have no output;
    // `released` is called when a start held waited long enough; `lost` when a device of a route
    // made here reports that it has gone.
    DeviceOpening(Opener open, StreamQueue& streams, std::function<void(SessionDevice)> opened,
                  std::function<void()> released, std::function<void()> lost);
    ~DeviceOpening();

    DeviceOpening(const DeviceOpening&) = delete;
    DeviceOpening& operator=(const DeviceOpening&) = delete;

    bool opensSoundDevices() const { return static_cast<bool>(m_open); }
    SessionDevice silentClock(const AudioFormat& format);
    // Asks for a sound device of the format; `holdStart` holds the start until it comes.
    void request(const AudioFormat& format, bool holdStart);
    bool isAwaiting() const { return m_awaitedRoute != 0; }
    // The device asked for is not wanted now.
    void cancel();
    bool holdsStart() const { return m_holdingStart; }
    // Whether a start was held.
    bool releaseStart();

private:
    std::unique_ptr<SessionDevice::Route> makeRoute(std::uint64_t serial);
    void delivered(SessionDevice device);

    const Opener m_open;
    StreamQueue& m_streams;
    const std::function<void(SessionDevice)> m_opened;
    const std::function<void()> m_released;
    const std::function<void()> m_lost;
    std::uint64_t m_routesMade = 0;
    // The route of the device that opens now; 0 while none does.
    std::uint64_t m_awaitedRoute = 0;
    bool m_holdingStart = false;
    QTimer m_startWait;
    ReceiverLink m_devices;
};
