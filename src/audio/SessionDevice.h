#pragma once

#include "audio/AudioOutput.h"
#include "audio/ReceiverLink.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class StreamQueue;

// A device of the session's output with the route it renders through; the device goes first.
struct SessionDevice
{
    // What one device renders through. Only the route the streams are told to render for takes
    // from them, so a device that was replaced, or plays out the tail of another format, renders
    // nothing more; and a loss it reports is told apart from the loss of the device that
    // replaced it.
    class Route final : public AudioOutput::Client
    {
    public:
        // `lost` runs on the inbox's thread, unless the link has been cut.
        Route(StreamQueue& streams, std::shared_ptr<ReceiverLink::Inbox> inbox,
              std::function<void()> lost, std::uint64_t serial);

        std::uint64_t serial() const { return m_serial; }
        // On the inbox's thread: whether the device was lost since the last call.
        bool takeLoss() { return m_lost.exchange(false); }

        int render(float* out, int frames, std::int64_t at) override;
        void outputLost() override;

    private:
        StreamQueue& m_streams;
        const std::shared_ptr<ReceiverLink::Inbox> m_inbox;
        const std::function<void()> m_onLoss;
        const std::uint64_t m_serial;
        std::atomic<bool> m_lost{false};
    };

    SessionDevice() = default;
    SessionDevice(std::unique_ptr<Route> deviceRoute, std::unique_ptr<AudioOutput> deviceOutput);
    SessionDevice(SessionDevice&&) noexcept = default;
    SessionDevice& operator=(SessionDevice&& other) noexcept;
    ~SessionDevice();

    // Whether this is the device of the route; false for none.
    bool rendersFor(std::uint64_t route) const
    {
        return this->route && this->route->serial() == route;
    }

    std::unique_ptr<Route> route;
    std::unique_ptr<AudioOutput> output;
};
