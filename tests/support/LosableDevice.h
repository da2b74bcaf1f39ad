#pragma once

#include "audio/ClockAudioOutput.h"
#include "audio/SessionOutput.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// A clock-driven output that the test can make disappear, as an unplugged device or a server
// that dies does: from then on it takes nothing and its time stands still.
struct LosableDevice final : AudioOutput, AudioOutput::Client
{
    bool open(const AudioFormat& format, AudioOutput::Client* client) override
    {
        m_client = client;
        return m_clock.open(format, this);
    }
    void setPaused(bool paused) override { m_clock.setPaused(paused || m_lost); }
    void flush() override {}
    std::int64_t playedFrames() override { return m_clock.playedFrames(); }
    int render(float* out, int frames, std::int64_t at) override
    {
        return m_lost ? 0 : m_client->render(out, frames, at);
    }
    void outputLost() override {}
    void lose()
    {
        m_lost = true;
        m_clock.setPaused(true);
        m_client->outputLost();
    }

    std::atomic<bool> m_lost{false};
    AudioOutput::Client* m_client = nullptr;
    ClockAudioOutput m_clock;
};

// The devices that a losable output opened, on the thread that opens them.
struct LosableDevices
{
    LosableDevice* at(std::size_t index)
    {
        std::lock_guard lock(mutex);
        return index < opened.size() ? opened[index] : nullptr;
    }
    std::vector<int> openedRates()
    {
        std::lock_guard lock(mutex);
        return rates;
    }
    std::mutex mutex;
    std::vector<LosableDevice*> opened;
    std::vector<int> rates; // the sample rate each was opened at
};

// A session output whose devices are LosableDevices.
inline std::shared_ptr<SessionOutput> losableOutput(LosableDevices& devices)
{
    return std::make_shared<SessionOutput>(
        [&devices](const AudioFormat& format, AudioOutput::Client* client) {
            auto device = std::make_unique<LosableDevice>();
            device->open(format, client);
            std::lock_guard lock(devices.mutex);
            devices.opened.push_back(device.get());
            devices.rates.push_back(format.sampleRate);
            return std::unique_ptr<AudioOutput>(std::move(device));
        });
}
