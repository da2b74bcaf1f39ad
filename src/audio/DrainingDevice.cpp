#include "audio/DrainingDevice.h"

#include <algorithm>
#include <utility>

namespace {

// A device that takes nothing of a tail for this long will not play the rest of it.
constexpr int drainStallMs = 1000;

} // namespace

DrainingDevice::DrainingDevice(std::function<void()> drained) : m_drained(std::move(drained))
{
    m_timer.setSingleShot(true);
    m_timer.callOnTimeout([this] { await(); });
}

void DrainingDevice::start(SessionDevice device, std::int64_t tailEnd, const AudioFormat& format)
{
    m_device = std::move(device);
    m_end = tailEnd;
    m_taken = -1;
    m_format = format;
}

SessionDevice DrainingDevice::takeBack()
{
    m_timer.stop();
    return std::exchange(m_device, {});
}

void DrainingDevice::stop()
{
    m_timer.stop();
    m_device = {};
}

void DrainingDevice::setPaused(bool paused)
{
    m_paused = paused;
    if (m_device.output)
        m_device.output->setPaused(paused);
    await();
}

void DrainingDevice::await()
{
    if (!m_device.output)
        return;
    if (m_paused) {
        m_taken = -1;
        return;
    }
    const std::int64_t taken = m_device.output->takenFrames();
    if (std::exchange(m_taken, taken) != taken)
        m_moved.start();
    const std::int64_t left = m_end - taken;
    if (left <= 0 || m_moved.elapsed() >= drainStallMs) {
        m_drained();
        return;
    }
    m_timer.start(std::min(m_format.millisecondsOf(left) + 1, drainStallMs));
}
