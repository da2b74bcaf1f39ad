#include "analysis/WaveformPeaks.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace {

TEST(WaveformPeaksTest, EveryFrameLandsInTheBinOfItsIndexThoseBeyondTheEstimateInTheLast)
{
    std::mt19937 random(5);
    for (const std::uint64_t bins : {1u, 7u, 600u, 997u, 36000u}) {
        for (const int frames : {1, 599, 1000, 44101}) {
            // Samples beyond full scale count as full scale. At 1024 Hz the stated duration, a
            // seventh short of the data, is exact in binary; an unknown one estimates one frame.
            const Pcm noise = whiteNoise(1.5, 1024, 2, frames, random());
            const bool unknown = frames == 599;
            const std::uint64_t stated = unknown ? 1 : frames - frames / 7;
            PcmSampleSource source(noise.samples, {1024, 2},
                                   unknown ? std::nan("") : stated / 1024.0);
            std::vector<float> expected[2] = {std::vector<float>(bins), std::vector<float>(bins)};
            for (std::uint64_t i = 0; i < noise.samples.size(); ++i) {
                const std::uint64_t bin = std::min(i / 2 * bins / stated, bins - 1);
                float& peak = expected[i % 2][bin];
                peak = std::max(peak, std::min(std::fabs(noise.samples[i]), 1.0f));
            }
            const WaveformPeaks peaks = waveformPeaksForSource(source, bins, currentGeneration());
            EXPECT_TRUE(peaks.left == expected[0] && peaks.right == expected[1])
                << bins << " bins, " << frames << " frames";
        }
    }
}

} // namespace
