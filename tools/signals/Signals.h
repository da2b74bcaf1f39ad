#pragma once

#include <cstdint>
#include <vector>

// Interleaved 32-bit float PCM, channel 0 first.
struct Pcm
{
    int sampleRate = 44100;
    int channels = 2;
    std::vector<float> samples;

    std::int64_t frameCount() const
    {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
};

// sin(2π·f·n/R) from phase 0, the same on every channel.
Pcm sineWave(double frequency, double amplitude, int sampleRate, int channels, std::int64_t frames);
Pcm dcLevel(double level, int sampleRate, int channels, std::int64_t frames);
Pcm silence(int sampleRate, int channels, std::int64_t frames);
// A stereo sine whose right channel is the left one negated.
Pcm oppositeStereoSine(double frequency, double amplitude, int sampleRate, std::int64_t frames);
// Uniform white noise in [-amplitude, amplitude], reproducible from its seed.
Pcm whiteNoise(double amplitude, int sampleRate, int channels, std::int64_t frames,
               std::uint32_t seed);
// Pink noise (falling 3 dB per octave) of the given RMS level, independent on each channel and
// reproducible from its seed.
Pcm pinkNoise(double rms, int sampleRate, int channels, std::int64_t frames, std::uint32_t seed);
// A few seconds of a small synthesized tune with a bass line: the demo track.
Pcm demoTune(int sampleRate);
// Half a second of silence first: a sink mixes a new stream into audio that its monitor has
// already passed on, so a recording misses the very start.
Pcm afterLeadIn(const Pcm& signal);
// `pcm` repeated and cut to `frames` frames.
Pcm repeatedTo(const Pcm& pcm, std::int64_t frames);
// The frames from `first` up to, not including, `end`, both limited to the signal.
Pcm framesOf(const Pcm& pcm, std::int64_t first, std::int64_t end);
