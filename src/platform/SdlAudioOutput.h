#pragma once

#include "platform/AudioOutput.h"

#include <cstdint>

// The sound device, through SDL2 at the device's own format: SDL converts from the format
// it is opened with.
class SdlAudioOutput final : public AudioOutput
{
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() override;

    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool open(const AudioFormat& format, Client* client) override;
    void setPaused(bool paused) override;
    int latencyFrames() const override { return m_bufferFrames; }

    // Called by SDL's event watch when a device has gone; thread-safe.
    static void deviceRemoved(std::uint32_t deviceId);

private:
    static void fill(void* userData, unsigned char* stream, int length);

    Client* m_client = nullptr;
    std::uint32_t m_device = 0;
    int m_channelCount = 2;
    int m_bufferFrames = 0;
};
