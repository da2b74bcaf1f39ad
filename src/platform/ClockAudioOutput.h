#pragma once

#include "platform/AudioOutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
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
    void flush() override {}
    // What it has consumed is what is "heard".
    std::int64_t playedFrames() override { return m_consumed.load(); }

private:
    void run();
    void renderDueFrames(double elapsedSeconds);

    AudioFormat m_format;
    Client* m_client = nullptr;
    std::vector<float> m_scratch;
    std::int64_t m_renderedSinceResume = 0;
    std::atomic<std::int64_t> m_consumed{0};

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_paused = true;
    bool m_rendering = false;
    bool m_quit = false;
    std::thread m_thread;
};
