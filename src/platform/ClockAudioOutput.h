#pragma once

#include "platform/AudioOutput.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// Consumes audio at real time on a steady clock and discards it: playback goes on silently
// when there is no sound device, or after the device was lost.
class ClockAudioOutput final : public AudioOutput
{
public:
    ClockAudioOutput() = default;
    ~ClockAudioOutput() override;

    bool open(const AudioFormat& format, Client* client) override;
    void setPaused(bool paused) override;
    int latencyFrames() const override { return 0; }

private:
    void run();
    void renderDueFrames(double elapsedSeconds);

    AudioFormat m_format;
    Client* m_client = nullptr;
    std::vector<float> m_scratch;
    std::int64_t m_renderedSinceResume = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_paused = true;
    bool m_rendering = false;
    bool m_quit = false;
    std::thread m_thread;
};
