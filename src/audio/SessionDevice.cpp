#include "audio/SessionDevice.h"

#include "audio/StreamQueue.h"

#include <utility>

SessionDevice::Route::Route(StreamQueue& streams, std::shared_ptr<ReceiverLink::Inbox> inbox,
                            std::function<void()> lost, std::uint64_t serial)
    : m_streams(streams), m_inbox(std::move(inbox)), m_onLoss(std::move(lost)), m_serial(serial)
{}

int SessionDevice::Route::render(float* out, int frames, std::int64_t at)
{
    return m_streams.render(m_serial, out, frames, at);
}

void SessionDevice::Route::outputLost()
{
    // Each route keeps its own loss: two devices lost at once are both heard of. A device lost
    // after the session has gone tells nobody.
    m_lost.store(true);
    m_inbox->post(m_onLoss);
}

SessionDevice::SessionDevice(std::unique_ptr<Route> deviceRoute,
                             std::unique_ptr<AudioOutput> deviceOutput)
    : route(std::move(deviceRoute)), output(std::move(deviceOutput))
{}

SessionDevice& SessionDevice::operator=(SessionDevice&& other) noexcept
{
    output.reset(); // before its route, which it may still be rendering through
    route = std::move(other.route);
    output = std::move(other.output);
    return *this;
}

SessionDevice::~SessionDevice()
{
    output.reset();
}
