#pragma once

#include "audio/SessionDevice.h"
#include "decoder/AudioFormat.h"

#include <cstdint>
#include <functional>

#include <QElapsedTimer>
#include <QTimer>

// The device of the previous format while it plays out the tail of the last track, so that
// nothing of it is lost at a change of rate; the new format's device waits for it. It is waited
// for until it has taken its last frame on to be played, so that the first frame of the new
// format follows the last of the old as closely as two devices allow. A device that takes
// nothing more for a while has taken all it will: it is not waited for in vain.
class DrainingDevice final
{
public:
    // `drained` is called on the main thread once the device has taken all it will.
    explicit DrainingDevice(std::function<void()> drained);

    bool isDraining() const { return static_cast<bool>(m_device.output); }
    SessionDevice& device() { return m_device; }
    const SessionDevice& device() const { return m_device; }
    const AudioFormat& format() const { return m_format; }

    // Plays the device on until it has taken the frame before `tailEnd`.
    void start(SessionDevice device, std::int64_t tailEnd, const AudioFormat& format);
    // The device to go on with; nothing drains any more.
    SessionDevice takeBack();
    // Closes the device.
    void stop();
    // A pause is no stall.
    void setPaused(bool paused);
    void await();

private:
    const std::function<void()> m_drained;
    SessionDevice m_device;
    AudioFormat m_format;
    std::int64_t m_end = 0;
    // What the device had taken when last looked at, and since when; -1 for unknown.
    std::int64_t m_taken = -1;
    QElapsedTimer m_moved;
    bool m_paused = true;
    QTimer m_timer;
};
