#include "platform/PlaybackStream.h"

#include <algorithm>
#include <utility>

namespace {

constexpr double ringSeconds = 0.5;

} // namespace

PlaybackStream::PlaybackStream(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished,
                               std::function<void()> heardToEnd)
    : m_format(decoder->format()), m_channels(static_cast<std::size_t>(m_format.channelCount)),
      m_frameCount(decoder->frameCount()),
      m_fadeFrames(std::max(1, static_cast<int>(cutRampSeconds * m_format.sampleRate))),
      m_finished(std::move(finished)), m_heardToEnd(std::move(heardToEnd)),
      m_decoder(std::move(decoder))
{
    const auto ringFrames =
        static_cast<std::size_t>(std::max(8192.0, ringSeconds * m_format.sampleRate));
    m_ring.resize(ringFrames * m_channels);
    {
        std::unique_lock lock(m_ringMutex);
        fillRing(lock);
    }
    m_decodeThread = std::thread(&PlaybackStream::decodeLoop, this);
}

PlaybackStream::~PlaybackStream()
{
    {
        std::lock_guard lock(m_ringMutex);
        m_quit = true;
    }
    m_refill.notify_all();
    m_decodeThread.join();
}

void PlaybackStream::setEndHandlers(std::function<void()> finished,
                                    std::function<void()> heardToEnd)
{
    m_finished = std::move(finished);
    m_heardToEnd = std::move(heardToEnd);
}

void PlaybackStream::seek(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    if (m_frameCount >= 0)
        frame = std::min(frame, m_frameCount);
    {
        std::lock_guard lock(m_ringMutex);
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

bool PlaybackStream::isFinished() const
{
    std::lock_guard lock(m_ringMutex);
    return m_finishedState;
}

bool PlaybackStream::hasFailed() const
{
    std::lock_guard lock(m_ringMutex);
    return m_failed;
}

bool PlaybackStream::isFilled() const
{
    std::lock_guard lock(m_ringMutex);
    return m_seekTo < 0 && !needsRefill();
}

std::int64_t PlaybackStream::endOnTimeline() const
{
    std::lock_guard lock(m_ringMutex);
    return m_finishedState ? timelineEnd() : -1;
}

void PlaybackStream::heardToEnd() const
{
    if (m_heardToEnd)
        m_heardToEnd();
}

// Under m_ringMutex, once placed on the timeline.
std::int64_t PlaybackStream::timelineEnd() const
{
    return m_timelineStart + (m_handed - m_seekBase);
}

std::int64_t PlaybackStream::position(std::int64_t playedFrames) const
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

int PlaybackStream::render(float* out, int frames, std::int64_t at)
{
    const auto wanted = static_cast<std::size_t>(std::max(frames, 0));
    bool finishedNow = false;
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
        if (ended) {
            m_finishedState = true;
            finishedNow = true;
        } else if (delivered < wanted && placed) {
            m_underruns.fetch_add(1, std::memory_order_relaxed);
        }
        refill = needsRefill();
    }
    if (refill)
        m_refill.notify_one();
    if (finishedNow && m_finished)
        m_finished();
    return static_cast<int>(delivered);
}

void PlaybackStream::placeOnTimeline(std::int64_t at)
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

std::size_t PlaybackStream::takeFromRing(float* out, std::size_t frames)
{
    const std::size_t samples = std::min(frames * m_channels, m_fillSamples);
    const float volume = m_volume.load(std::memory_order_relaxed);
    const std::size_t firstPart = std::min(samples, m_ring.size() - m_readIndex);
    const auto scaled = [volume](float sample) { return sample * volume; };
    std::transform(m_ring.begin() + static_cast<std::ptrdiff_t>(m_readIndex),
                   m_ring.begin() + static_cast<std::ptrdiff_t>(m_readIndex + firstPart), out,
                   scaled);
    std::transform(m_ring.begin(),
                   m_ring.begin() + static_cast<std::ptrdiff_t>(samples - firstPart),
                   out + firstPart, scaled);
    m_readIndex = (m_readIndex + samples) % m_ring.size();
    m_fillSamples -= samples;
    fadeIn(out, samples / m_channels);
    return samples / m_channels;
}

void PlaybackStream::fadeIn(float* out, std::size_t frames)
{
    for (std::size_t frame = 0; frame < frames && m_fadeInLeft > 0; ++frame, --m_fadeInLeft) {
        const float gain =
            1.0f - static_cast<float>(m_fadeInLeft) / static_cast<float>(m_fadeFrames);
        for (std::size_t channel = 0; channel < m_channels; ++channel)
            out[frame * m_channels + channel] *= gain;
    }
}

bool PlaybackStream::needsRefill() const
{
    return !m_decoderDone && m_fillSamples <= m_ring.size() / 2;
}

std::size_t PlaybackStream::freeFrames() const
{
    return (m_ring.size() - m_fillSamples) / m_channels;
}

void PlaybackStream::appendToRing(std::span<const float> samples)
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
void PlaybackStream::fillRing(std::unique_lock<std::mutex>& lock)
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

void PlaybackStream::endOfDecoding()
{
    m_decoderDone = true;
    m_failed = m_decoder->hasFailed();
}

void PlaybackStream::seekDecoder(std::unique_lock<std::mutex>& lock)
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

void PlaybackStream::decodeLoop()
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
