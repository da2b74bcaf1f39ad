#include "audio/ClockAudioOutput.h"

#include <algorithm>

namespace {

constexpr auto wakeInterval = std::chrono::milliseconds(100);
// Taken ahead of the audible point: more than one wake-up's worth, so the audible point never
// has to wait for audio.
constexpr double leadSeconds = 0.2;
// A pause waits for no more than one chunk to be rendered.
constexpr int maxChunkFrames = 1024;

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
    if (paused == m_paused)
        return;
    if (paused)
        m_heardAtResume = heardNow();
    else
        m_resumedAt = Clock::now();
    m_paused = paused;
    m_pausing = paused;
    m_changed.notify_all();
    // Like a sound device: once paused, no render call is running or will start.
    m_changed.wait(lock, [this] { return !m_paused || !m_rendering; });
}

void ClockAudioOutput::flush()
{
    std::lock_guard lock(m_mutex);
    m_heardAtResume = m_taken.load();
    m_resumedAt = Clock::now();
}

std::int64_t ClockAudioOutput::playedFrames()
{
    std::lock_guard lock(m_mutex);
    return heardNow();
}

// Under m_mutex.
std::int64_t ClockAudioOutput::heardNow() const
{
    if (m_paused)
        return m_heardAtResume;
    const double elapsed = std::chrono::duration<double>(Clock::now() - m_resumedAt).count();
    const auto moved = static_cast<std::int64_t>(elapsed * m_format.sampleRate);
    return std::min(m_heardAtResume + moved, m_taken.load());
}

void ClockAudioOutput::run()
{
    const auto lead = static_cast<std::int64_t>(leadSeconds * m_format.sampleRate);
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_changed.wait(lock, [this] { return m_quit || !m_paused; });
        if (m_quit)
            return;
        // From the audible point the clock would reach if nothing were taken ahead.
        const double elapsed = std::chrono::duration<double>(Clock::now() - m_resumedAt).count();
        const std::int64_t due =
            m_heardAtResume + static_cast<std::int64_t>(elapsed * m_format.sampleRate) + lead;
        m_rendering = true;
        lock.unlock();
        renderUpTo(due);
        lock.lock();
        m_rendering = false;
        m_changed.notify_all();
        m_changed.wait_for(lock, wakeInterval, [this] { return m_quit || m_paused; });
    }
}

void ClockAudioOutput::renderUpTo(std::int64_t frame)
{
    while (m_taken.load() < frame && !m_pausing) {
        const int frames =
            static_cast<int>(std::min<std::int64_t>(frame - m_taken.load(), maxChunkFrames));
        m_client->render(m_scratch.data(), frames, m_taken.load());
        m_taken += frames;
    }
}
