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

// Hands a decoded track to an output and keeps the audible position.
//
// Threads: render() runs on the output's thread and only copies from a ring of decoded audio;
// a decoding thread of the stream's own keeps that ring about half a second ahead, so that
// neither a slow disk nor a busy UI thread starves the device. Everything else is called from
// the owner's thread. The position is one atomic frame counter, written under the ring's lock
// by render() and seek(), read anywhere without a lock.
class PlaybackStream
{
public:
    // `finished` is called once per natural end, on the output's thread.
    PlaybackStream(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished);
    ~PlaybackStream();

    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    AudioFormat format() const { return m_format; }
    std::int64_t frameCount() const { return m_frameCount; }

    // What is audible: the frames handed to the output less its latency. Reads back a seek at
    // once, and 0 after the natural end.
    std::int64_t position() const { return m_position.load(std::memory_order_relaxed); }
    // Limited to 0 … frameCount().
    void seek(std::int64_t frame);
    // True from the natural end until the next seek.
    bool isFinished() const;

    void setLatencyFrames(int frames);
    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
    float volume() const { return m_volume.load(std::memory_order_relaxed); }
    // Render calls that found too little decoded audio before the end of the track.
    std::uint64_t underrunCount() const { return m_underruns.load(std::memory_order_relaxed); }

    void render(float* out, int frames);

private:
    void decodeLoop();
    void fillRing();
    bool needsRefill() const;
    std::size_t freeFrames() const;
    void appendToRing(std::span<const float> samples);
    std::size_t takeFromRing(float* out, std::size_t frames);
    void updatePosition(bool& finishedNow);

    const AudioFormat m_format;
    const std::size_t m_channels;
    const std::int64_t m_frameCount;
    const std::function<void()> m_finished;

    // Decoder side: only under m_decoderMutex.
    std::mutex m_decoderMutex;
    std::unique_ptr<Mp3Decoder> m_decoder;
    std::span<const float> m_pending;

    // Ring and playback state: only under m_ringMutex, which is never held while decoding.
    mutable std::mutex m_ringMutex;
    std::condition_variable m_refill;
    std::vector<float> m_ring;
    std::size_t m_readIndex = 0;
    std::size_t m_fillSamples = 0;
    bool m_decoderDone = false;
    bool m_finishedState = false;
    bool m_quit = false;
    std::int64_t m_seekBase = 0;
    std::int64_t m_handed = 0;
    std::int64_t m_silenceAfterEnd = 0;
    int m_latencyFrames = 0;

    std::atomic<std::int64_t> m_position{0};
    std::atomic<float> m_volume{1.0f};
    std::atomic<std::uint64_t> m_underruns{0};

    std::thread m_decodeThread;
};
