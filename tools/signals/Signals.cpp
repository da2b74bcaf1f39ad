#include "Signals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace {

Pcm filled(int sampleRate, int channels, std::int64_t frames, auto&& valueAtFrame)
{
    Pcm pcm{sampleRate, channels, {}};
    if (frames <= 0 || channels <= 0)
        return pcm;
    pcm.samples.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
    for (std::int64_t n = 0; n < frames; ++n) {
        for (int c = 0; c < channels; ++c)
            pcm.samples[static_cast<std::size_t>(n * channels + c)] = valueAtFrame(n, c);
    }
    return pcm;
}

double sineAt(double frequency, double amplitude, int sampleRate, std::int64_t n)
{
    return amplitude *
           std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(n) / sampleRate);
}

} // namespace

Pcm sineWave(double frequency, double amplitude, int sampleRate, int channels, std::int64_t frames)
{
    return filled(sampleRate, channels, frames, [&](std::int64_t n, int) {
        return static_cast<float>(sineAt(frequency, amplitude, sampleRate, n));
    });
}

Pcm dcLevel(double level, int sampleRate, int channels, std::int64_t frames)
{
    return filled(sampleRate, channels, frames,
                  [&](std::int64_t, int) { return static_cast<float>(level); });
}

Pcm silence(int sampleRate, int channels, std::int64_t frames)
{
    return dcLevel(0.0, sampleRate, channels, frames);
}

Pcm oppositeStereoSine(double frequency, double amplitude, int sampleRate, std::int64_t frames)
{
    return filled(sampleRate, 2, frames, [&](std::int64_t n, int c) {
        const double value = sineAt(frequency, amplitude, sampleRate, n);
        return static_cast<float>(c == 0 ? value : -value);
    });
}

Pcm whiteNoise(double amplitude, int sampleRate, int channels, std::int64_t frames,
               std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> distribution(-amplitude, amplitude);
    return filled(sampleRate, channels, frames,
                  [&](std::int64_t, int) { return static_cast<float>(distribution(generator)); });
}

Pcm pinkNoise(double rms, int sampleRate, int channels, std::int64_t frames, std::uint32_t seed)
{
    // White noise through Paul Kellet's three-pole approximation of a -3 dB/octave filter.
    std::mt19937 generator(seed);
    std::normal_distribution<double> white(0.0, 1.0);
    std::vector<std::array<double, 3>> poles(static_cast<std::size_t>(std::max(channels, 0)));
    Pcm pcm = filled(sampleRate, channels, frames, [&](std::int64_t, int c) {
        std::array<double, 3>& b = poles[static_cast<std::size_t>(c)];
        const double w = white(generator);
        b[0] = 0.99765 * b[0] + w * 0.0990460;
        b[1] = 0.96300 * b[1] + w * 0.2965164;
        b[2] = 0.57000 * b[2] + w * 1.0526913;
        return static_cast<float>(b[0] + b[1] + b[2] + w * 0.1848);
    });
    double energy = 0.0;
    for (const float sample : pcm.samples)
        energy += static_cast<double>(sample) * sample;
    const double gain =
        energy > 0.0 ? rms / std::sqrt(energy / static_cast<double>(pcm.samples.size())) : 0.0;
    for (float& sample : pcm.samples)
        sample = static_cast<float>(sample * gain);
    return pcm;
}

Pcm demoTune(int sampleRate)
{
    // Eight bars of a plucked arpeggio over a bass line, two beats a second.
    constexpr std::array melody{60, 64, 67, 72, 67, 64, 62, 65, 69, 74, 69, 65,
                                59, 62, 67, 71, 67, 62, 60, 64, 67, 72, 76, 79};
    constexpr std::array bass{36, 41, 43, 36};
    constexpr double noteSeconds = 0.25;
    const auto noteFrames = static_cast<std::int64_t>(noteSeconds * sampleRate);
    const std::int64_t frames = noteFrames * static_cast<std::int64_t>(melody.size());
    const auto hertz = [](int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); };

    return filled(sampleRate, 2, frames, [&](std::int64_t n, int c) {
        const std::int64_t note = n / noteFrames;
        const double t = static_cast<double>(n % noteFrames) / sampleRate;
        const double lead = hertz(melody[static_cast<std::size_t>(note)]);
        const double pluck = std::exp(-t * 9.0) * (std::sin(2 * std::numbers::pi * lead * t) +
                                                   0.3 * std::sin(4 * std::numbers::pi * lead * t));
        const std::int64_t bar = note / 6;
        const double low = hertz(bass[static_cast<std::size_t>(bar % bass.size())]);
        const double barT = static_cast<double>(n - bar * 6 * noteFrames) / sampleRate;
        const double bassTone = std::exp(-barT * 1.5) * std::sin(2 * std::numbers::pi * low * barT);
        const double pan = c == 0 ? 0.6 : 0.4;
        return static_cast<float>(0.45 * pan * pluck + 0.35 * bassTone);
    });
}

Pcm repeatedTo(const Pcm& pcm, std::int64_t frames)
{
    Pcm repeated{pcm.sampleRate, pcm.channels, {}};
    if (pcm.samples.empty() || frames <= 0)
        return repeated;
    const auto length = static_cast<std::size_t>(frames) * static_cast<std::size_t>(pcm.channels);
    repeated.samples.reserve(length);
    while (repeated.samples.size() < length)
        repeated.samples.insert(repeated.samples.end(), pcm.samples.begin(), pcm.samples.end());
    repeated.samples.resize(length);
    return repeated;
}

Pcm framesOf(const Pcm& pcm, std::int64_t first, std::int64_t end)
{
    first = std::clamp<std::int64_t>(first, 0, pcm.frameCount());
    end = std::clamp<std::int64_t>(end, first, pcm.frameCount());
    const auto begin = pcm.samples.begin() + first * pcm.channels;
    return {pcm.sampleRate, pcm.channels, {begin, begin + (end - first) * pcm.channels}};
}

Pcm afterLeadIn(const Pcm& signal)
{
    Pcm track = silence(signal.sampleRate, signal.channels, signal.sampleRate / 2);
    track.samples.insert(track.samples.end(), signal.samples.begin(), signal.samples.end());
    return track;
}
