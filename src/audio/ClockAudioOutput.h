#pragma once

#include "audio/AudioOutput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Consumes audio at real time on a steady clock and discards it: playback goes on silently
// when there is no sound device, or after the device was lost. Like a device with a buffer, it
// takes audio a little ahead of the audible point, so that it wakes ten times a second, while
// the audible point itself follows the clock continuously.
class ClockAudioOutput final : public AudioOutput
{
public:
    ClockAudioOutput() = default;
    ~ClockAudioOutput() override;

    bool open(const AudioFormat& format, Client* client) override;
    void setPaused(bool paused) override;
    // What was taken ahead counts as heard.
    void flush() override;
    std::int64_t playedFrames() override;

private:
    using Clock = std::chrono::steady_clock;

    void run();
    std::int64_t heardNow() const;
    void renderUpTo(std::int64_t frame);

    AudioFormat m_format;
    Client* m_client = nullptr;
    std::vector<float> m_scratch;
    std::atomic<std::int64_t> m_taken{0};
    // Set with m_paused, read by the rendering thread between chunks.
    std::atomic<bool> m_pausing{true};

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // The audible point: m_heardAtResume when paused, moving on with the clock from
    // m_resumedAt while playing, but never past what was taken.
    std::int64_t m_heardAtResume = 0;
    Clock::time_point m_resumedAt;
    bool m_paused = true;
    bool m_rendering = false;
    bool m_quit = false;
    std::thread m_thread;
};
