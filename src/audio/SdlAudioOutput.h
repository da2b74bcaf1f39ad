#pragma once

#include "audio/AudioOutput.h"

#include <atomic>
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
    void rest() override;
    // SDL keeps at most one buffer: there is nothing to drop.
    void flush() override {}
    // SDL tells no latency: one device buffer is taken to be still on its way.
    std::int64_t playedFrames() override;

    // Called by SDL's event watch when a device has gone; thread-safe.
    static void deviceRemoved(std::uint32_t deviceId);

private:
    bool openDevice();
    void closeDevice();
    static void fill(void* userData, unsigned char* stream, int length);

    Client* m_client = nullptr;
    AudioFormat m_format;
    std::uint32_t m_device = 0;
    bool m_resting = false;
    int m_bufferFrames = 0;
    std::atomic<std::int64_t> m_takenFrames{0};
};
