#pragma once

#include "decoder/AudioFormat.h"

#include <cstdint>

#include <QString>

// A cut in what is heard (a seek, a loop's jump, a pause, a stop) ramps over this long instead of
// cutting the wave, which would click.
constexpr double cutRampSeconds = 0.005;

// Where decoded audio goes: the desktop's sound server, a sound device, or a clock that consumes
// it silently at real time. An output pulls audio from its client on a thread of its own; it
// starts paused.
//
// Frames are placed on the output's own timeline: the n-th frame the output has taken in since
// it was opened, silence it added itself included, sits at n. The audible point on that
// timeline is what keeps the displays in step with what is heard.
class AudioOutput
{
public:
    class Client
    {
    public:
        // Fills at most `frames` interleaved frames, which land at `at` on the output's
        // timeline; returns how many it filled. A device plays silence for the rest, a server
        // waits for more. Called on the output's thread.
        virtual int render(float* out, int frames, std::int64_t at) = 0;
        // The device or server went away after it was opened; may be called on any thread.
        virtual void outputLost() = 0;

    protected:
        ~Client() = default;
    };

    virtual ~AudioOutput() = default;

    // False when there is no device for this format.
    virtual bool open(const AudioFormat& format, Client* client) = 0;
    // Once setPaused(true) has returned, render() is not running and is not called until the
    // output is resumed. Resuming also asks the client again for audio it may now have.
    virtual void setPaused(bool paused) = 0;
    // While paused for a while: the output may let its device go until it is resumed, so that
    // it costs nothing meanwhile. Nothing that was heard is heard again, and the audible point
    // does not go back.
    virtual void rest() {}
    // Before a cut, while playing: what is heard from a frame soon ahead ramps down to
    // silence over cutRampSeconds, and the output must then render nothing more until the
    // cut. Gives the frame of the timeline where the ramp begins; -1 where the output cannot
    // ramp.
    virtual std::int64_t fadeOut() { return -1; }
    // How many frames after the audible point a fade begun now would begin; 0 where none would.
    virtual std::int64_t fadeDelay() { return 0; }
    // Drops what was handed over but not yet heard, as far as the output can.
    virtual void flush() = 0;
    // The frame of the timeline that is audible now; never goes back. Any thread.
    virtual std::int64_t playedFrames() = 0;
    // The frame up to which the device has taken audio on to be played, so that a stream that
    // starts now follows it without a break: at least playedFrames(). Any thread.
    virtual std::int64_t takenFrames() { return playedFrames(); }
    // Whether the device has taken audio up to `frame` by its own latest word, so that a flush
    // drops none of it: takenFrames() may run on from that word by the clock. Where the word is
    // older than the frame, a newer one is asked for.
    virtual bool hasTaken(std::int64_t frame) { return takenFrames() >= frame; }
    // True when the output applies a volume itself, also to what it holds already; otherwise
    // the client scales the samples it renders.
    virtual bool appliesVolume() const { return false; }
    virtual void setVolume(float volume) { (void)volume; }
    // What is playing, for the desktop's mixer.
    virtual void setMediaName(const QString& name) { (void)name; }
};
