#pragma once

#include "audio/AudioOutput.h"

#include <cstdint>
#include <memory>

// The sound device, through SDL2 at the device's own format: SDL converts from the format
// it is opened with. A device that rested is opened again on the devices' lane of the work
// queue, so that SDL never holds the main thread; the output may go meanwhile.
class SdlAudioOutput final : public AudioOutput
{
public:
    SdlAudioOutput();
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
    // What SDL's callback and the devices' lane share with the output.
    struct Shared;

    static std::uint32_t openDevice(Shared& shared);
    static void watchDevice(std::uint32_t device, Client* client);
    static void closeDevice(std::uint32_t device);
    void reopen();
    static void fill(void* userData, unsigned char* stream, int length);

    const std::shared_ptr<Shared> m_shared;
    bool m_resting = false;
};
