#include "audio/DeviceOpening.h"

#include "audio/ClockAudioOutput.h"
#include "audio/WorkQueue.h"

#include <utility>

namespace {

// How long a new format's first frames wait for its device before they go on on the silent
// clock.
constexpr int startWaitMs = 300;

} // namespace

DeviceOpening::DeviceOpening(Opener open, StreamQueue& streams,
                             std::function<void(SessionDevice)> opened,
                             std::function<void()> released, std::function<void()> lost)
    : m_open(std::move(open)), m_streams(streams), m_opened(std::move(opened)),
      m_released(std::move(released)), m_lost(std::move(lost))
{
    m_startWait.setSingleShot(true);
    m_startWait.setInterval(startWaitMs);
    m_startWait.callOnTimeout([this] { m_released(); });
}

DeviceOpening::~DeviceOpening()
{
    // A device that opens later closes on its own thread; the quit does not wait for a server
    // that does not answer.
    m_devices.cut();
}

SessionDevice DeviceOpening::silentClock(const AudioFormat& format)
{
    SessionDevice device(makeRoute(++m_routesMade), std::make_unique<ClockAudioOutput>());
    device.output->open(format, device.route.get());
    return device;
}

void DeviceOpening::request(const AudioFormat& format, bool holdStart)
{
    if (!m_open)
        return;
    m_awaitedRoute = ++m_routesMade;
    if (holdStart) {
        m_holdingStart = true;
        m_startWait.start();
    }
    // The route and the device are shared only to be carried by copyable calls. A device that
    // opens once the session has gone is dropped with its call, and closed, on this thread.
    WorkQueue::lane(WorkLane::Devices)
        .run([this, inbox = m_devices.inbox(), open = m_open, format,
              route = std::make_shared<std::unique_ptr<SessionDevice::Route>>(
                  makeRoute(m_awaitedRoute))] {
            std::unique_ptr<AudioOutput> output = open(format, route->get());
            auto device = std::make_shared<SessionDevice>(std::move(*route), std::move(output));
            inbox->post([this, device] { delivered(std::move(*device)); });
        });
}

void DeviceOpening::cancel()
{
    m_awaitedRoute = 0;
    m_startWait.stop();
    m_holdingStart = false;
}

bool DeviceOpening::releaseStart()
{
    m_startWait.stop();
    return std::exchange(m_holdingStart, false);
}

std::unique_ptr<SessionDevice::Route> DeviceOpening::makeRoute(std::uint64_t serial)
{
    return std::make_unique<SessionDevice::Route>(m_streams, m_devices.inbox(), m_lost, serial);
}

void DeviceOpening::delivered(SessionDevice device)
{
    if (device.route->serial() != m_awaitedRoute)
        return;
    m_awaitedRoute = 0;
    m_opened(std::move(device));
}
