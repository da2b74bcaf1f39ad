#pragma once

// The sample rate and channel count of decoded audio. The defaults stand for a format that
// could not be learnt from the file.
struct AudioFormat
{
    int sampleRate = 44100;
    int channelCount = 2;

    bool operator==(const AudioFormat&) const = default;
};
