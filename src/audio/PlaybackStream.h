#pragma once

#include "audio/AudioOutput.h"
#include "decoder/Mp3Decoder.h"

#include <cstdint>
#include <functional>
#include <memory>

// Hands a decoded track to an output and keeps where on the output's timeline it landed.
//
// Threads: render() runs on the output's thread and only copies from a ring of decoded audio;
// a decoding thread of the stream's own keeps that ring about half a second ahead, so that
// neither a slow disk nor a busy UI thread starves the device. Only that thread uses the
// decoder after construction: a seek is handed to it, and the stream's end does not wait for
// it, so that no caller waits on the disk.
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
    // `finished` is called once per end, when the last frame has been handed to the output, and
    // `heardToEnd` when the output has played that frame; the output calls both on the main
    // thread, through handedToEnd() and heardToEnd(). The constructor decodes the first half
    // second, so it reads the disk: it may run on any thread.
    PlaybackStream(std::unique_ptr<Mp3Decoder> decoder, std::function<void()> finished = {},
                   std::function<void()> heardToEnd = {});
    ~PlaybackStream();

    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    // Before the stream is first rendered: for an owner made after the stream. `dropped` is
    // called on the main thread when the output drops the stream from its queue unplayed (for a
    // device of another format): it plays again once it is started again.
    void setEndHandlers(std::function<void()> finished, std::function<void()> heardToEnd,
                        std::function<void()> dropped);

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
    // Called by the output once it has taken the last frame on, and once it has played it.
    void handedToEnd() const;
    void heardToEnd() const;
    void dropped() const;

    void setVolume(float volume);
    float volume() const;
    // A factor of this track's own, such as its ReplayGain, applied with the volume.
    void setGain(float gain);
    // Render calls that found too little decoded audio before the end of the track.
    std::uint64_t underrunCount() const;

    // Fills at most `frames` frames, which land at `at` on the output's timeline; returns how
    // many it filled: fewer only at the end, or when the decoder has fallen behind.
    int render(float* out, int frames, std::int64_t at);

private:
    // What the decoding thread works on. That thread holds it too, and lets go of it when it
    // ends, so that a stream that goes while its decoder waits on a hung disk does not wait.
    class Core;

    const std::shared_ptr<Core> m_core;
    const AudioFormat m_format;
    const std::int64_t m_frameCount;
};
