// Prints the longest silence in a recording between its first and its last sound, in
// milliseconds: what a listener hears as a gap at a track change. Reads raw signed 16-bit
// little-endian stereo at 44.1 kHz, as `parec --format=s16le --rate=44100 --channels=2` writes.
// Silence is any stretch of at least 2 ms in which every sample of both channels lies below
// −60 dBFS; a recording without one prints 0.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int sampleRate = 44100;
constexpr int channels = 2;
constexpr double silenceDBFS = -60.0;
constexpr double shortestSilenceSeconds = 0.002;

std::vector<std::int16_t> readSamples(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::int16_t> samples;
    unsigned char bytes[2];
    while (file.read(reinterpret_cast<char*>(bytes), 2))
        samples.push_back(static_cast<std::int16_t>(bytes[0] | bytes[1] << 8));
    return samples;
}

// The longest run of quiet frames that has sound on both sides, in frames.
std::int64_t longestInnerSilence(const std::vector<std::int16_t>& samples)
{
    const double threshold = 32768.0 * std::pow(10.0, silenceDBFS / 20.0);
    const auto frames = static_cast<std::int64_t>(samples.size() / channels);
    std::int64_t longest = 0;
    std::int64_t quietRun = 0;
    bool heardSound = false;
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        bool quiet = true;
        for (int c = 0; c < channels; ++c)
            quiet = quiet &&
                    std::abs(samples[static_cast<std::size_t>(frame * channels + c)]) < threshold;
        if (quiet) {
            ++quietRun;
            continue;
        }
        if (heardSound && quietRun > longest)
            longest = quietRun;
        heardSound = true;
        quietRun = 0;
    }
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RECORDING.s16\n", argv[0]);
        return 2;
    }
    const std::vector<std::int16_t> samples = readSamples(argv[1]);
    if (samples.empty()) {
        std::fprintf(stderr, "%s: no samples in %s\n", argv[0], argv[1]);
        return 1;
    }
    const std::int64_t frames = longestInnerSilence(samples);
    const double seconds = static_cast<double>(frames) / sampleRate;
    std::printf("%.1f\n", seconds >= shortestSilenceSeconds ? seconds * 1000.0 : 0.0);
    return 0;
}
