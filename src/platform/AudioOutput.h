#pragma once

#include "platform/AudioFormat.h"

// Where decoded audio goes: a sound device, or a clock that consumes it silently at real time.
// An output pulls audio from its client on a thread of its own; it starts paused.
class AudioOutput
{
public:
    class Client
    {
    public:
        // Fills `frames` interleaved frames; called on the output's thread.
        virtual void render(float* out, int frames) = 0;
        // The device went away after it was opened; may be called on any thread.
        virtual void outputLost() = 0;

    protected:
        ~Client() = default;
    };

    virtual ~AudioOutput() = default;

    // False when there is no device for this format.
    virtual bool open(const AudioFormat& format, Client* client) = 0;
    virtual void setPaused(bool paused) = 0;
    // Frames handed over but not yet heard. Once setPaused(true) has returned, render() is not
    // running and is not called until the output is resumed.
    virtual int latencyFrames() const = 0;
};
