#pragma once

#include "platform/AudioOutput.h"
#include "platform/Mp3Decoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

// Hands a decoded track to an output and keeps where on the output's timeline it landed.
//
// Threads: render() runs on the output's thread and only copies from a ring of decoded audio;
// a decoding thread of the stream's own keeps that ring about half a second ahead, so that
// neither a slow disk nor a busy UI thread starves the device. Only that thread uses the
// decoder after construction: a seek is handed to it, so that no caller waits on the disk.
// Everything else is called from the owner's thread. The playback state is guarded by the
// ring's lock, which is never held while decoding.
//
// Position: the frames handed since the last seek sit one after another on the output's
// timeline from the frame where the first of them landed, so the audible frame of the track
// follows from the output's audible point. Until its first frame is heard a stream reads the
// frame it was sought to; once its last frame is heard, 0.
class PlaybackStream
{
public:
    // `finished` is called once per end, when the last frame has been handed to the output, on
    // the output's thread; `heardToEnd` when the output has played that frame, on the main
    // thread, through heardToEnd(). The constructor decodes the first half second, so it
    // reads the disk: it may run on any thread.
    PlaybackStream(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished = {},
                   std::function<void()> heardToEnd = {});
    ~PlaybackStream();

    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    // Before the stream is first rendered: for an owner made after the stream.
    void setEndHandlers(std::function<void()> finished, std::function<void()> heardToEnd);

    AudioFormat format() const { return m_format; }
    std::int64_t frameCount() const { return m_frameCount; }

    // The frame audible when the output plays `playedFrames` of its timeline. Reads back a
    // seek at once, and 0 after the natural end.
    std::int64_t position(std::int64_t playedFrames) const;
    // Limited to 0 … frameCount(). The decoding thread moves there and refills the ring; until
    // it has, render() fills nothing. From there the audio ramps in.
    void seek(std::int64_t frame);
    // True from the end (every frame handed) until the next seek.
    bool isFinished() const;
    // True when the file could not be read on (a read error, or a seek that failed): the end
    // comes where the audio decoded before it ends, and is no natural end.
    bool hasFailed() const;
    // True once the ring holds what the next render calls need: half a second, or the rest.
    bool isFilled() const;
    // The frame of the output's timeline after the last one, once finished; else -1.
    std::int64_t endOnTimeline() const;
    // Called by the output once it has played the last frame.
    void heardToEnd() const;

    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
    float volume() const { return m_volume.load(std::memory_order_relaxed); }
    // Render calls that found too little decoded audio before the end of the track.
    std::uint64_t underrunCount() const { return m_underruns.load(std::memory_order_relaxed); }

    // Fills at most `frames` frames, which land at `at` on the output's timeline; returns how
    // many it filled: fewer only at the end, or when the decoder has fallen behind.
    int render(float* out, int frames, std::int64_t at);

private:
    void decodeLoop();
    void fillRing(std::unique_lock<std::mutex>& lock);
    void seekDecoder(std::unique_lock<std::mutex>& lock);
    void endOfDecoding();
    bool needsRefill() const;
    std::size_t freeFrames() const;
    void appendToRing(std::span<const float> samples);
    std::size_t takeFromRing(float* out, std::size_t frames);
    void fadeIn(float* out, std::size_t frames);
    void placeOnTimeline(std::int64_t at);
    std::int64_t timelineEnd() const;

    const AudioFormat m_format;
    const std::size_t m_channels;
    const std::int64_t m_frameCount;
    const int m_fadeFrames;
    std::function<void()> m_finished;
    std::function<void()> m_heardToEnd;

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

    std::atomic<float> m_volume{1.0f};
    std::atomic<std::uint64_t> m_underruns{0};

    std::thread m_decodeThread;
};
