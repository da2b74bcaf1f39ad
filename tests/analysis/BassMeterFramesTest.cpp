#include "analysis/BassMeterFrames.h"
#include "support/PcmSampleSource.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

BassMeterFrames framesOf(const Pcm& pcm)
{
    PcmSampleSource source(pcm);
    return bassMeterFramesForSource(source, 1.0 / 60.0, currentGeneration());
}

TEST(BassMeterFramesTest, FullScaleTonesAndDcReadTheFilteredPeakOfEveryFrameOnEachSide)
{
    // Hz (0 for DC at 0.5), the first frame and every later one in dB. The right side, at a
    // quarter of the level, must read 12 dB lower through a filter of its own.
    const std::array<float, 3> signals[] = {{50.0f, 1.673f, 1.67f},
                                            {180.0f, -0.466f, -1.07f},
                                            {1000.0f, -9.14f, -13.13f},
                                            {0.0f, -4.02f, -4.02f}};
    for (const auto& [hertz, firstFrame, settled] : signals) {
        Pcm pcm = hertz > 0 ? sineWave(hertz, 1.0, 44100, 2, 44100) : dcLevel(0.5, 44100, 2, 44100);
        for (std::size_t i = 1; i < pcm.samples.size(); i += 2)
            pcm.samples[i] *= 0.25f;
        // 735 sample frames a frame: one second gives exactly 60 frames.
        const BassMeterFrames frames = framesOf(pcm);
        ASSERT_EQ(frames.size(), 60u);
        for (std::size_t j = 0; j < frames.size(); ++j) {
            const float expected = j == 0 ? firstFrame : settled;
            EXPECT_NEAR(frames[j][0], expected, 0.005) << hertz << " Hz, frame " << j;
            EXPECT_NEAR(frames[j][1], expected - 12.0412f, 0.005) << hertz << " Hz, frame " << j;
        }
    }
    for (const float amplitude : {0.0007f, 0.0f, std::nanf("")})
        EXPECT_EQ(decibelsForAmplitude(amplitude), -60.0f) << amplitude;
}

TEST(BassMeterFramesTest, TheCutoffStaysAt180HzAtEveryRate)
{
    // At its cutoff a one-pole low-pass passes a sine 3 dB down, −1 dB on the meter (−1.3 dB
    // at 8000 Hz). A filter made for 44100 Hz would read −13 dB at 8000 Hz, +1.1 dB at 96000 Hz.
    for (const int rate : {8000, 22050, 96000}) {
        const BassMeterFrames frames = framesOf(sineWave(180, 1.0, rate, 1, rate));
        for (std::size_t j = 6; j < frames.size(); ++j)
            EXPECT_NEAR(frames[j][0], -1.0f, 0.4) << rate << " Hz, frame " << j;
    }
}

} // namespace
