// Writes the demo track that scripts/run.sh plays when it is given no file, and the tracks of
// the playback benchmark.
#include "signals/Mp3Encoder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int sampleRate = 44100;

int usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s OUTPUT.mp3\n"
                 "       %s --seconds N OUTPUT.mp3   the demo tune repeated to N seconds\n"
                 "       %s --pink-halves N FIRST.mp3 SECOND.mp3\n"
                 "           N seconds of one continuous pink noise, cut in two at the middle\n",
                 program, program, program);
    return 2;
}

bool write(const Pcm& pcm, const char* path, const char* title)
{
    Mp3Options options;
    options.bitrateKbps = 192;
    options.id3v2Title = title;
    if (writeMp3(pcm, path, options))
        return true;
    std::fprintf(stderr, "cannot write %s\n", path);
    return false;
}

// A whole number of seconds from 1 to an hour, or 0.
int secondsFrom(const char* text)
{
    const long seconds = std::strtol(text, nullptr, 10);
    return seconds >= 1 && seconds <= 3600 ? static_cast<int>(seconds) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 2 && mode[0] != '-')
        return write(demoTune(sampleRate), argv[1], "Kassolin Demo") ? 0 : 1;
    const int seconds = argc > 2 ? secondsFrom(argv[2]) : 0;
    if (mode == "--seconds" && argc == 4 && seconds > 0) {
        const Pcm track = repeatedTo(demoTune(sampleRate), std::int64_t{seconds} * sampleRate);
        return write(track, argv[3], "Kassolin Demo") ? 0 : 1;
    }
    if (mode == "--pink-halves" && argc == 5 && seconds > 0) {
        // About −15 dBFS RMS: loud enough that no 2 ms of it falls below −60 dBFS.
        const Pcm noise = pinkNoise(0.18, sampleRate, 2, std::int64_t{seconds} * sampleRate, 1);
        const std::int64_t middle = noise.frameCount() / 2;
        const bool written = write(framesOf(noise, 0, middle), argv[3], "Pink 1") &&
                             write(framesOf(noise, middle, noise.frameCount()), argv[4], "Pink 2");
        return written ? 0 : 1;
    }
    return usage(argv[0]);
}
