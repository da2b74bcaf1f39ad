// Prints the longest silence in a recording between its first and its last sound, in
// milliseconds: what a listener hears as a gap at a track change. Reads raw signed 16-bit
// little-endian stereo at 44.1 kHz, as `parec --format=s16le --rate=44100 --channels=2` writes.
// Silence is any stretch of at least 2 ms in which both channels lie below −60 dBFS, as the
// sound tests count it; a recording without one prints 0.
#include "signals/Recordings.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr double sampleRate = 44100.0;
constexpr double shortestSilenceSeconds = 0.002;

std::vector<float> readSamples(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<float> samples;
    unsigned char bytes[2];
    while (file.read(reinterpret_cast<char*>(bytes), 2))
        samples.push_back(static_cast<std::int16_t>(bytes[0] | bytes[1] << 8) / 32768.0f);
    return samples;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RECORDING.s16\n", argv[0]);
        return 2;
    }
    const std::vector<float> samples = readSamples(argv[1]);
    if (samples.empty()) {
        std::fprintf(stderr, "%s: no samples in %s\n", argv[0], argv[1]);
        return 1;
    }
    const double seconds = static_cast<double>(audiblePart(samples).second) / sampleRate;
    std::printf("%.1f\n", seconds >= shortestSilenceSeconds ? seconds * 1000.0 : 0.0);
    return 0;
}
