#include "audio/PlaybackStream.h"

#include "audio/WorkQueue.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

namespace {

constexpr double ringSeconds = 0.5;

} // namespace

class PlaybackStream::Core
{
public:
    Core(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished,
         std::function<void()> heardToEnd);

    void quit();
    void decodeLoop();
    void setEndHandlers(std::function<void()> finished, std::function<void()> heardToEnd,
                        std::function<void()> dropped);
    std::int64_t position(std::int64_t playedFrames) const;
    void seek(std::int64_t frame);
    bool isFinished() const;
    bool hasFailed() const;
    bool isFilled() const;
    std::int64_t endOnTimeline() const;
    void handedToEnd() const;
    void heardToEnd() const;
    void dropped() const;
    int render(float* out, int frames, std::int64_t at);

    const AudioFormat m_format;
    const std::int64_t m_frameCount;
    std::atomic<float> m_volume{1.0f};
    std::atomic<float> m_gain{1.0f};
    std::atomic<std::uint64_t> m_underruns{0};

private:
    void fillRing(std::unique_lock<std::mutex>& lock);
    void seekDecoder(std::unique_lock<std::mutex>& lock);
    void endOfDecoding();
    bool needsRefill() const;
    std::size_t freeFrames() const;
    void appendToRing(std::span<const float> samples);
    std::size_t takeFromRing(float* out, std::size_t frames);
    void fadeIn(float* out, std::size_t frames);
    void scale(float* out, std::size_t frames);
    void placeOnTimeline(std::int64_t at);
    std::int64_t timelineEnd() const;

    const std::size_t m_channels;
    const int m_fadeFrames;
    std::function<void()> m_finished;
    std::function<void()> m_heardToEnd;
    std::function<void()> m_dropped;

    // Decoder side: the constructor's, then only the decoding thread's.
    std::unique_ptr<Mp3Decoder> m_decoder;
    std::span<const float> m_pending;

    // Ring and playback state: only under m_ringMutex.
    mutable std::mutex m_ringMutex;
    std::condition_variable m_refill;
    std::vector<float> m_ring;
    std::size_t m_readIndex = 0;
    std::size_t m_fillSamples = 0;
    bool m_decoderDone = false;
    bool m_failed = false;
    bool m_finishedState = false;
    // Frames still to fade in after a seek.
    int m_fadeInLeft = 0;
    // The volume times the gain as last rendered; below 0 before the first frame.
    float m_scale = -1.0f;
    // The frame the decoding thread is to seek to next; -1 for none.
    std::int64_t m_seekTo = -1;
    bool m_quit = false;
    std::int64_t m_seekBase = 0;
    std::int64_t m_handed = 0;
    // Where the frame m_seekBase lies on the output's timeline; -1 until it has been handed.
    std::int64_t m_timelineStart = -1;
    // Before the latest gap on the timeline: where it began, and m_timelineStart before it.
    std::int64_t m_gapFrom = -1;
    std::int64_t m_startBeforeGap = -1;
};

PlaybackStream::PlaybackStream(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished,
                               std::function<void()> heardToEnd)
    : m_core(
          std::make_shared<Core>(std::move(decoder), std::move(finished), std::move(heardToEnd))),
      m_format(m_core->m_format), m_frameCount(m_core->m_frameCount)
{
    // It ends once it sees the stream has gone, which a hung read may delay: nothing waits for it.
    WorkQueue::lane(WorkLane::Decoding).run([core = m_core] { core->decodeLoop(); });
}

PlaybackStream::~PlaybackStream()
{
    m_core->quit();
}

void PlaybackStream::setEndHandlers(std::function<void()> finished,
                                    std::function<void()> heardToEnd, std::function<void()> dropped)
{
    m_core->setEndHandlers(std::move(finished), std::move(heardToEnd), std::move(dropped));
}

std::int64_t PlaybackStream::position(std::int64_t playedFrames) const
{
    return m_core->position(playedFrames);
}

void PlaybackStream::seek(std::int64_t frame)
{
    m_core->seek(frame);
}

bool PlaybackStream::isFinished() const
{
    return m_core->isFinished();
}

bool PlaybackStream::hasFailed() const
{
    return m_core->hasFailed();
}

bool PlaybackStream::isFilled() const
{
    return m_core->isFilled();
}

std::int64_t PlaybackStream::endOnTimeline() const
{
    return m_core->endOnTimeline();
}

void PlaybackStream::handedToEnd() const
{
    m_core->handedToEnd();
}

void PlaybackStream::heardToEnd() const
{
    m_core->heardToEnd();
}

void PlaybackStream::dropped() const
{
    m_core->dropped();
}

void PlaybackStream::setVolume(float volume)
{
    m_core->m_volume.store(volume, std::memory_order_relaxed);
}

float PlaybackStream::volume() const
{
    return m_core->m_volume.load(std::memory_order_relaxed);
}

void PlaybackStream::setGain(float gain)
{
    m_core->m_gain.store(gain, std::memory_order_relaxed);
}

std::uint64_t PlaybackStream::underrunCount() const
{
    return m_core->m_underruns.load(std::memory_order_relaxed);
}

int PlaybackStream::render(float* out, int frames, std::int64_t at)
{
    return m_core->render(out, frames, at);
}

PlaybackStream::Core::Core(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished,
                           std::function<void()> heardToEnd)
    : m_format(decoder->format()), m_frameCount(decoder->frameCount()),
      m_channels(static_cast<std::size_t>(m_format.channelCount)),
      m_fadeFrames(std::max(1, static_cast<int>(cutRampSeconds * m_format.sampleRate))),
      m_finished(std::move(finished)), m_heardToEnd(std::move(heardToEnd)),
      m_decoder(std::move(decoder))
{
    const auto ringFrames =
        static_cast<std::size_t>(std::max(8192.0, ringSeconds * m_format.sampleRate));
    m_ring.resize(ringFrames * m_channels);
    std::unique_lock lock(m_ringMutex);
    fillRing(lock);
}

void PlaybackStream::Core::quit()
{
    {
        std::lock_guard lock(m_ringMutex);
        m_quit = true;
    }
    m_refill.notify_all();
}

void PlaybackStream::Core::setEndHandlers(std::function<void()> finished,
                                          std::function<void()> heardToEnd,
                                          std::function<void()> dropped)
{
    m_finished = std::move(finished);
    m_heardToEnd = std::move(heardToEnd);
    m_dropped = std::move(dropped);
}

void PlaybackStream::Core::seek(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    if (m_frameCount >= 0)
        frame = std::min(frame, m_frameCount);
    {
        std::lock_guard lock(m_ringMutex);
        // Nothing handed over since it went where it is sought to: what it decoded is kept, as
        // when a device that opened late takes over a stream that has not started.
        if (m_timelineStart < 0 && frame == m_seekBase && !m_failed && !m_finishedState)
            return;
        m_seekTo = frame;
        m_readIndex = 0;
        m_fillSamples = 0;
        m_decoderDone = false;
        m_failed = false;
        m_finishedState = false;
        m_seekBase = frame;
        m_handed = frame;
        m_fadeInLeft = m_fadeFrames;
        m_timelineStart = -1;
        m_startBeforeGap = -1;
    }
    m_refill.notify_one();
}

bool PlaybackStream::Core::isFinished() const
{
    std::lock_guard lock(m_ringMutex);
    return m_finishedState;
}

bool PlaybackStream::Core::hasFailed() const
{
    std::lock_guard lock(m_ringMutex);
    return m_failed;
}

bool PlaybackStream::Core::isFilled() const
{
    std::lock_guard lock(m_ringMutex);
    return m_seekTo < 0 && !needsRefill();
}

std::int64_t PlaybackStream::Core::endOnTimeline() const
{
    std::lock_guard lock(m_ringMutex);
    return m_finishedState ? timelineEnd() : -1;
}

void PlaybackStream::Core::handedToEnd() const
{
    if (m_finished)
        m_finished();
}

void PlaybackStream::Core::dropped() const
{
    if (m_dropped)
        m_dropped();
}

void PlaybackStream::Core::heardToEnd() const
{
    if (m_heardToEnd)
        m_heardToEnd();
}

// Under m_ringMutex, once placed on the timeline.
std::int64_t PlaybackStream::Core::timelineEnd() const
{
    return m_timelineStart + (m_handed - m_seekBase);
}

std::int64_t PlaybackStream::Core::position(std::int64_t playedFrames) const
{
    std::lock_guard lock(m_ringMutex);
    if (m_timelineStart < 0)
        return m_finishedState ? 0 : m_seekBase;
    if (m_finishedState && playedFrames >= timelineEnd())
        return 0;
    if (m_startBeforeGap >= 0 && playedFrames < m_timelineStart + (m_gapFrom - m_startBeforeGap)) {
        // Still before the gap's end: what came before it, then a pause in the gap.
        const std::int64_t heard = std::min(playedFrames, m_gapFrom) - m_startBeforeGap;
        return m_seekBase + std::max<std::int64_t>(heard, 0);
    }
    const std::int64_t audible = m_seekBase + (playedFrames - m_timelineStart);
    return std::min(std::max(audible, m_seekBase), m_handed);
}

int PlaybackStream::Core::render(float* out, int frames, std::int64_t at)
{
    const auto wanted = static_cast<std::size_t>(std::max(frames, 0));
    bool refill = false;
    std::size_t delivered = 0;
    {
        std::lock_guard lock(m_ringMutex);
        if (m_finishedState)
            return 0;
        const bool placed = m_timelineStart >= 0;
        delivered = takeFromRing(out, wanted);
        const bool ended = m_decoderDone && m_fillSamples == 0;
        // A stream still refilling after a seek takes no place on the timeline yet, and has
        // not run dry.
        if (delivered > 0 || ended || placed)
            placeOnTimeline(at);
        m_handed += static_cast<std::int64_t>(delivered);
        if (ended)
            m_finishedState = true;
        else if (delivered < wanted && placed) {
            m_underruns.fetch_add(1, std::memory_order_relaxed);
        }
        refill = needsRefill();
    }
    if (refill)
        m_refill.notify_one();
    return static_cast<int>(delivered);
}

void PlaybackStream::Core::placeOnTimeline(std::int64_t at)
{
    const std::int64_t handedSinceSeek = m_handed - m_seekBase;
    if (m_timelineStart < 0) {
        m_timelineStart = at - handedSinceSeek;
        return;
    }
    // A device that played silence while the decoder lagged moved the timeline on: the frames
    // handed from here on lie later by that much.
    const std::int64_t expected = m_timelineStart + handedSinceSeek;
    if (at != expected) {
        m_startBeforeGap = m_timelineStart;
        m_gapFrom = expected;
        m_timelineStart = at - handedSinceSeek;
    }
}

std::size_t PlaybackStream::Core::takeFromRing(float* out, std::size_t frames)
{
    const std::size_t samples = std::min(frames * m_channels, m_fillSamples);
    const std::size_t firstPart = std::min(samples, m_ring.size() - m_readIndex);
    std::copy_n(m_ring.begin() + static_cast<std::ptrdiff_t>(m_readIndex), firstPart, out);
    std::copy_n(m_ring.begin(), samples - firstPart, out + firstPart);
    m_readIndex = (m_readIndex + samples) % m_ring.size();
    m_fillSamples -= samples;
    scale(out, samples / m_channels);
    fadeIn(out, samples / m_channels);
    return samples / m_channels;
}

// A new volume or gain is reached over a fade's length, not at once: a step in the level of
// the wave is heard as a click.
void PlaybackStream::Core::scale(float* out, std::size_t frames)
{
    const float target =
        m_volume.load(std::memory_order_relaxed) * m_gain.load(std::memory_order_relaxed);
    m_scale = m_scale < 0.0f ? target : m_scale;
    const float step = (target - m_scale) / static_cast<float>(std::max(m_fadeFrames, 1));
    for (std::size_t frame = 0; frame < frames; ++frame) {
        m_scale = std::abs(target - m_scale) <= std::abs(step) ? target : m_scale + step;
        for (std::size_t channel = 0; channel < m_channels; ++channel)
            out[frame * m_channels + channel] *= m_scale;
    }
}

void PlaybackStream::Core::fadeIn(float* out, std::size_t frames)
{
    for (std::size_t frame = 0; frame < frames && m_fadeInLeft > 0; ++frame, --m_fadeInLeft) {
        const float gain =
            1.0f - static_cast<float>(m_fadeInLeft) / static_cast<float>(m_fadeFrames);
        for (std::size_t channel = 0; channel < m_channels; ++channel)
            out[frame * m_channels + channel] *= gain;
    }
}

bool PlaybackStream::Core::needsRefill() const
{
    return !m_decoderDone && m_fillSamples <= m_ring.size() / 2;
}

std::size_t PlaybackStream::Core::freeFrames() const
{
    return (m_ring.size() - m_fillSamples) / m_channels;
}

void PlaybackStream::Core::appendToRing(std::span<const float> samples)
{
    const std::size_t writeIndex = (m_readIndex + m_fillSamples) % m_ring.size();
    const std::size_t firstPart = std::min(samples.size(), m_ring.size() - writeIndex);
    std::copy_n(samples.begin(), firstPart,
                m_ring.begin() + static_cast<std::ptrdiff_t>(writeIndex));
    std::copy(samples.begin() + static_cast<std::ptrdiff_t>(firstPart), samples.end(),
              m_ring.begin());
    m_fillSamples += samples.size();
}

// Under the lock, which is let go while the decoder reads: a seek meanwhile makes what it
// decoded stale.
void PlaybackStream::Core::fillRing(std::unique_lock<std::mutex>& lock)
{
    while (!m_quit && m_seekTo < 0 && !m_decoderDone) {
        if (m_pending.empty()) {
            lock.unlock();
            const std::span<const float> decoded = m_decoder->nextBuffer();
            lock.lock();
            if (m_seekTo >= 0)
                return;
            m_pending = decoded;
            if (m_pending.empty()) {
                endOfDecoding();
                return;
            }
        }
        const std::size_t samples = std::min(m_pending.size(), freeFrames() * m_channels);
        if (samples == 0)
            return; // the ring is full
        appendToRing(m_pending.first(samples));
        m_pending = m_pending.subspan(samples);
    }
}

void PlaybackStream::Core::endOfDecoding()
{
    m_decoderDone = true;
    m_failed = m_decoder->hasFailed();
}

void PlaybackStream::Core::seekDecoder(std::unique_lock<std::mutex>& lock)
{
    const std::int64_t frame = std::exchange(m_seekTo, -1);
    m_pending = {};
    lock.unlock();
    const bool sought = m_decoder->seek(frame);
    lock.lock();
    // A decoder that cannot get there has nothing more to play: the track ends as unreadable.
    if (!sought && m_seekTo < 0) {
        m_decoderDone = true;
        m_failed = true;
    }
}

void PlaybackStream::Core::decodeLoop()
{
    std::unique_lock lock(m_ringMutex);
    while (true) {
        m_refill.wait(lock, [this] { return m_quit || m_seekTo >= 0 || needsRefill(); });
        if (m_quit)
            return;
        if (m_seekTo >= 0)
            seekDecoder(lock);
        else
            fillRing(lock);
    }
}
