#include "platform/ClockAudioOutput.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr auto tick = std::chrono::milliseconds(10);
constexpr int maxChunkFrames = 4096;

} // namespace

ClockAudioOutput::~ClockAudioOutput()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool ClockAudioOutput::open(const AudioFormat& format, Client* client)
{
    if (m_thread.joinable() || !client || format.sampleRate <= 0 || format.channelCount <= 0)
        return false;
    m_format = format;
    m_client = client;
    m_scratch.resize(static_cast<std::size_t>(maxChunkFrames * format.channelCount));
    m_thread = std::thread(&ClockAudioOutput::run, this);
    return true;
}

void ClockAudioOutput::setPaused(bool paused)
{
    std::unique_lock lock(m_mutex);
    m_paused = paused;
    m_changed.notify_all();
    // Like a sound device: once paused, no render call is running or will start.
    m_changed.wait(lock, [this] { return !m_paused || !m_rendering; });
}

void ClockAudioOutput::run()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_changed.wait(lock, [this] { return m_quit || !m_paused; });
        const Clock::time_point resumed = Clock::now();
        m_renderedSinceResume = 0;
        Clock::time_point next = resumed;
        while (!m_quit && !m_paused) {
            m_rendering = true;
            lock.unlock();
            renderDueFrames(std::chrono::duration<double>(Clock::now() - resumed).count());
            lock.lock();
            m_rendering = false;
            m_changed.notify_all();
            next += tick;
            m_changed.wait_until(lock, next, [this] { return m_quit || m_paused; });
        }
    }
}

void ClockAudioOutput::renderDueFrames(double elapsedSeconds)
{
    const auto due = static_cast<std::int64_t>(elapsedSeconds * m_format.sampleRate);
    while (m_renderedSinceResume < due) {
        const int frames =
            static_cast<int>(std::min<std::int64_t>(due - m_renderedSinceResume, maxChunkFrames));
        m_client->render(m_scratch.data(), frames, m_consumed.load());
        m_renderedSinceResume += frames;
        m_consumed += frames;
    }
}
