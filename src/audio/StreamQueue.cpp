#include "audio/StreamQueue.h"

#include "audio/PlaybackStream.h"

#include <algorithm>
#include <utility>

StreamQueue::StreamQueue(std::function<void()> streamTaken) : m_streamTaken(std::move(streamTaken))
{}

int StreamQueue::render(std::uint64_t route, float* out, int frames, std::int64_t at)
{
    std::lock_guard lock(m_mutex);
    if (route == noRoute || route != m_renderingRoute)
        return 0;
    int filled = 0;
    while (filled < frames && !m_queue.empty()) {
        PlaybackStream* stream = m_queue.front();
        const auto offset = static_cast<std::size_t>(filled) * stream->format().channelCount;
        filled += stream->render(out + offset, frames - filled, at + filled);
        if (!stream->isFinished())
            break; // its decoder fell behind: the next track must not start early
        m_queue.pop_front();
        m_sounding.push_back({stream, route});
        m_streamTaken();
    }
    return filled;
}

void StreamQueue::setRenderingRoute(std::uint64_t route)
{
    std::lock_guard lock(m_mutex);
    m_renderingRoute = route;
}

void StreamQueue::append(PlaybackStream& stream)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back(&stream);
}

void StreamQueue::prepend(PlaybackStream& stream)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_front(&stream);
}

bool StreamQueue::holds(const PlaybackStream& stream)
{
    std::lock_guard lock(m_mutex);
    return std::ranges::find(m_queue, &stream) != m_queue.end() ||
           std::ranges::find(m_sounding, &stream, &Sounding::stream) != m_sounding.end();
}

bool StreamQueue::soundsOn(const PlaybackStream& stream, std::uint64_t route)
{
    std::lock_guard lock(m_mutex);
    return std::ranges::any_of(m_sounding, [&](const Sounding& sounding) {
        return sounding.stream == &stream && sounding.route == route;
    });
}

void StreamQueue::forget(const PlaybackStream& stream)
{
    std::lock_guard lock(m_mutex);
    std::erase(m_queue, &stream);
    std::erase_if(m_sounding, [&](const Sounding& sounding) { return sounding.stream == &stream; });
}

std::deque<PlaybackStream*> StreamQueue::takeQueued()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_queue, {});
}

bool StreamQueue::isQueueEmpty()
{
    std::lock_guard lock(m_mutex);
    return m_queue.empty();
}

bool StreamQueue::isIdle()
{
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && m_sounding.empty();
}

void StreamQueue::setVolume(float volume)
{
    std::lock_guard lock(m_mutex);
    for (PlaybackStream* stream : m_queue)
        stream->setVolume(volume);
}

std::vector<const PlaybackStream*> StreamQueue::takeHanded()
{
    std::vector<const PlaybackStream*> handed;
    std::lock_guard lock(m_mutex);
    for (Sounding& sounding : m_sounding) {
        if (!std::exchange(sounding.toldHanded, true))
            handed.push_back(sounding.stream);
    }
    return handed;
}

StreamQueue::Heard StreamQueue::takeHeard(const PlayedOnRoute& played)
{
    Heard heard;
    std::lock_guard lock(m_mutex);
    std::erase_if(m_sounding, [&](const Sounding& sounding) {
        const std::int64_t end = sounding.stream->endOnTimeline();
        const std::optional<std::int64_t> playedFrames = played(sounding.route);
        const std::int64_t left = playedFrames && end >= 0 ? end - *playedFrames : 0;
        if (left <= 0) {
            heard.ended.push_back(sounding.stream);
            return true;
        }
        const int ms = sounding.stream->format().millisecondsOf(left) + 2;
        heard.nextEndMs = heard.nextEndMs < 0 ? ms : std::min(heard.nextEndMs, ms);
        return false;
    });
    heard.idle = m_queue.empty() && m_sounding.empty();
    return heard;
}

std::int64_t StreamQueue::unheardTailEnd(std::uint64_t route, std::int64_t played)
{
    std::lock_guard lock(m_mutex);
    std::int64_t end = -1;
    for (const Sounding& sounding : m_sounding) {
        if (const std::int64_t tailEnd = sounding.stream->endOnTimeline();
            sounding.route == route && tailEnd > played)
            end = std::max(end, tailEnd);
    }
    return end;
}

void StreamQueue::restartFrom(std::uint64_t route, std::int64_t played)
{
    std::lock_guard lock(m_mutex);
    std::deque<PlaybackStream*> restarted;
    std::erase_if(m_sounding, [&](const Sounding& sounding) {
        const bool unheardTail =
            sounding.route == route && played < sounding.stream->endOnTimeline();
        if (unheardTail)
            restarted.push_back(sounding.stream);
        return unheardTail;
    });
    restarted.insert(restarted.end(), m_queue.begin(), m_queue.end());
    for (PlaybackStream* stream : restarted)
        stream->seek(stream->position(played));
    m_queue = std::move(restarted);
}
