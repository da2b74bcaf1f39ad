#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class PlaybackStream;

// The streams that the session's device takes in turn, and those whose tail it still sounds:
// all that the render thread touches, behind one lock that is never held while calling a device.
// The render thread takes the queued streams in order, so that the next track's first frame
// follows the last frame of the one before in the same buffer; a stream leaves the queue once
// every frame of it has been handed over, and sounds on the route that took it until the
// device has played its last frame.
//
// Threads: render() runs on the device's thread, everything else on the main thread.
class StreamQueue final
{
public:
    // The route renders nothing.
    static constexpr std::uint64_t noRoute = 0;

    // `streamTaken` is called on the render thread, with the lock held, when a stream has been
    // handed whole: it must neither lock nor wait.
    explicit StreamQueue(std::function<void()> streamTaken);

    StreamQueue(const StreamQueue&) = delete;
    StreamQueue& operator=(const StreamQueue&) = delete;

    // Render thread: fills from the queued streams when `route` is the one that may render.
    int render(std::uint64_t route, float* out, int frames, std::int64_t at);

    // Only this route renders from now on; noRoute for none.
    void setRenderingRoute(std::uint64_t route);
    void append(PlaybackStream& stream);
    void prepend(PlaybackStream& stream);
    bool holds(const PlaybackStream& stream);
    bool soundsOn(const PlaybackStream& stream, std::uint64_t route);
    void forget(const PlaybackStream& stream);
    // Empties the queue; the tails sounding stay.
    std::deque<PlaybackStream*> takeQueued();
    bool isQueueEmpty();
    bool isIdle();
    void setVolume(float volume);

    // The streams handed whole since the last call.
    std::vector<const PlaybackStream*> takeHanded();
    // What the sounding tails have come to, given what each route's device has played (nothing
    // for a route whose device is gone, and its tail with it).
    using PlayedOnRoute = std::function<std::optional<std::int64_t>(std::uint64_t route)>;
    struct Heard
    {
        std::vector<const PlaybackStream*> ended; // their last frame has been played
        int nextEndMs = -1;                       // until the next tail ends; -1 for none
        bool idle = false;                        // nothing queued, nothing sounding
    };
    Heard takeHeard(const PlayedOnRoute& played);
    // The end on the route's timeline of the tail that it plays after `played`; -1 for none.
    std::int64_t unheardTailEnd(std::uint64_t route, std::int64_t played);
    // With the route's device paused: each stream it holds audio of plays again from what of it
    // lies at `played` on the timeline, those whose tail sounds first; one not reached from its
    // first frame.
    void restartFrom(std::uint64_t route, std::int64_t played);

private:
    // A stream that has handed its last frame, while its tail sounds on the route's device.
    struct Sounding
    {
        PlaybackStream* stream;
        std::uint64_t route;
        bool toldHanded = false;
    };

    const std::function<void()> m_streamTaken;
    std::mutex m_mutex;
    std::deque<PlaybackStream*> m_queue;
    std::vector<Sounding> m_sounding;
    std::uint64_t m_renderingRoute = noRoute;
};
