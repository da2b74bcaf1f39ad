#include "platform/PlaybackStream.h"
#include "support/FixtureFiles.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

class PlaybackStreamTest : public ::testing::Test
{
protected:
    bool open(const Pcm& pcm)
    {
        auto decoder = Mp3Decoder::open(files.writeMp3("stream.mp3", pcm));
        if (decoder)
            stream = std::make_unique<PlaybackStream>(std::move(decoder), [this] { ++ends; });
        return stream != nullptr;
    }

    std::vector<float> render(int frames, int channels = 2)
    {
        std::vector<float> out(static_cast<std::size_t>(frames * channels), -2.0f);
        stream->render(out.data(), frames);
        return out;
    }

    FixtureFiles files;
    std::unique_ptr<PlaybackStream> stream;
    std::atomic<int> ends{0};
};

TEST_F(PlaybackStreamTest, RendersTheSamplesInOrderInAnySizes)
{
    const Pcm sine = sineWave(1000, 0.5, 44100, 1, 20000);
    ASSERT_TRUE(open(sine));
    std::vector<float> played;
    for (int size : {1, 3, 1000, 7, 4096, 1, 513}) {
        const std::vector<float> out = render(size, 1);
        played.insert(played.end(), out.begin(), out.end());
    }
    for (std::size_t i = 0; i < played.size(); ++i)
        ASSERT_NEAR(played[i], sine.samples[i], 0.05) << i;
}

TEST_F(PlaybackStreamTest, PositionIsTheRenderedFramesLessTheLatencyAndEndsOnceItHasPlayedOut)
{
    // A second of sine, then a second at 0.25.
    Pcm steps = sineWave(440, 0.5, 44100, 2, 44100);
    const Pcm dc = dcLevel(0.25, 44100, 2, 44100);
    steps.samples.insert(steps.samples.end(), dc.samples.begin(), dc.samples.end());
    ASSERT_TRUE(open(steps));
    stream->setLatencyFrames(1024);
    render(512);
    EXPECT_EQ(stream->position(), 0); // still inside the device's buffer
    render(4096 - 512);
    EXPECT_EQ(stream->position(), 4096 - 1024);
    // A seek reads back at once and plays on from there.
    stream->seek(66150);
    EXPECT_EQ(stream->position(), 66150);
    const std::vector<float> out = render(2048);
    EXPECT_TRUE(std::abs(out[0] - 0.25f) < 0.02f && std::abs(out[4095] - 0.25f) < 0.02f);
    EXPECT_EQ(stream->position(), 66150 + 2048 - 1024);
    // The end is reported once the latency has played out, then silence follows.
    stream->seek(10'000'000);
    EXPECT_EQ(stream->position(), 88200);
    render(1000);
    EXPECT_EQ(ends, 0);
    const std::vector<float> tail = render(100);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(stream->isFinished() && stream->position() == 0 && tail.back() == 0.0f);
    render(2000);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(stream->underrunCount(), 0u);
}

} // namespace
