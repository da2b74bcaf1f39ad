#pragma once

#include "decoder/AudioFormat.h"

#include <span>

// A track's decoded audio as the analyses read it: opened once, then interleaved 32-bit float
// samples, channel 0 first, in file order, in buffers of any size (a buffer need not end on a
// frame boundary). Used by one thread at a time.
class SampleSource
{
public:
    virtual ~SampleSource() = default;

    // False when the track cannot be read at all.
    virtual bool open() = 0;
    // As the track states it; the reader replaces a rate or channel count that is not positive.
    virtual AudioFormat format() const = 0;
    // Seconds as the track states it; negative or NaN when unknown.
    virtual double duration() const = 0;
    // Valid until the next call; empty at the end of the data or where decoding failed.
    virtual std::span<const float> nextBuffer() = 0;
};
