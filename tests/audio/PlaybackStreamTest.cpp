#include "audio/PlaybackStream.h"
#include "support/FixtureFiles.h"

#include <atomic>
#include <cmath>

#include <QTest>

#include <gtest/gtest.h>

namespace {

class PlaybackStreamTest : public ::testing::Test
{
protected:
    std::unique_ptr<PlaybackStream> streamOf(const Pcm& pcm)
    {
        auto decoder = Mp3Decoder::open(files.writeMp3("stream.mp3", pcm));
        if (!decoder)
            return nullptr;
        return std::make_unique<PlaybackStream>(std::move(decoder), [this] { ++finishedCalls; });
    }

    // The decoding thread refills the ring after a seek.
    static void seekAndRefill(PlaybackStream& stream, std::int64_t frame)
    {
        stream.seek(frame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return stream.isFilled(); }, 10000));
    }

    // Renders at the next frames of the output's timeline; what is not filled stays -2.
    std::vector<float> renderFrames(PlaybackStream& stream, int frames, int channels = 2)
    {
        std::vector<float> out(static_cast<std::size_t>(frames * channels), -2.0f);
        lastFilled = stream.render(out.data(), frames, timeline);
        timeline += frames;
        return out;
    }

    FixtureFiles files;
    std::atomic<int> finishedCalls{0};
    std::int64_t timeline = 0;
    int lastFilled = 0;
};

TEST_F(PlaybackStreamTest, PositionFollowsTheAudiblePointOfTheOutputsTimeline)
{
    auto stream = streamOf(sineWave(440, 0.5, 44100, 2, 44100));
    ASSERT_TRUE(stream);
    timeline = 10'000; // another track played before
    renderFrames(*stream, 4096);
    // A device that played 1000 frames of silence while the decoder lagged.
    timeline += 1000;
    renderFrames(*stream, 2048);
    // Before the first frame, in the first buffer, the silence, after it, beyond what was handed.
    const std::pair<std::int64_t, std::int64_t> heard[] = {
        {0, 0}, {10'000, 0}, {12'000, 2000}, {15'096, 4096}, {16'096, 5096}, {40'000, 6144}};
    for (const auto& [played, position] : heard)
        EXPECT_EQ(stream->position(played), position) << played;
}

TEST_F(PlaybackStreamTest, ASeekReadsBackAtOnceAndRampsInFromThere)
{
    const Pcm dc = dcLevel(0.25, 44100, 2, 44100);
    Pcm steps = sineWave(440, 0.5, 44100, 2, 44100);
    steps.samples.insert(steps.samples.end(), dc.samples.begin(), dc.samples.end());
    auto stream = streamOf(steps);
    ASSERT_TRUE(stream);
    renderFrames(*stream, 2048);

    stream->seek(66150);
    EXPECT_EQ(stream->position(timeline), 66150);
    seekAndRefill(*stream, 66150);
    // Ramped in over 5 ms (220 frames), then the level sought.
    const std::vector<float> out = renderFrames(*stream, 1024);
    EXPECT_NEAR(out[0], 0.0f, 0.01f);
    EXPECT_NEAR(out[2 * 110], 0.125f, 0.02f);
    EXPECT_NEAR(out[2047], 0.25f, 0.02f);
    EXPECT_EQ(stream->position(timeline - 256), 66150 + 1024 - 256);

    stream->seek(-5);
    EXPECT_EQ(stream->position(timeline), 0);
    stream->seek(10'000'000);
    EXPECT_EQ(stream->position(timeline), stream->frameCount());
}

TEST_F(PlaybackStreamTest, RenderingInOddSizesDeliversTheSamplesInOrder)
{
    const Pcm sine = sineWave(1000, 0.5, 44100, 2, 20000);
    auto stream = streamOf(sine);
    ASSERT_TRUE(stream);
    std::vector<float> played;
    for (int size : {1, 3, 1000, 7, 4096, 1, 513}) {
        const std::vector<float> out = renderFrames(*stream, size);
        played.insert(played.end(), out.begin(), out.end());
    }
    double error = 0.0;
    for (std::size_t i = 0; i < played.size(); ++i)
        error = std::max(error, std::abs(static_cast<double>(played[i] - sine.samples[i])));
    EXPECT_LT(error, 0.05);
}

TEST_F(PlaybackStreamTest, TheNaturalEndIsReportedOnceWhenTheLastFrameIsHandedOver)
{
    auto stream = streamOf(sineWave(440, 0.5, 44100, 2, 3000));
    ASSERT_TRUE(stream);
    renderFrames(*stream, 2000);
    EXPECT_EQ(finishedCalls, 0);

    const std::vector<float> tail = renderFrames(*stream, 1600);
    EXPECT_EQ(lastFilled, 1000);
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_TRUE(stream->isFinished());
    // The tail is heard to its last frame, then the position reads 0.
    EXPECT_EQ(stream->endOnTimeline(), 3000);
    EXPECT_EQ(stream->position(2999), 2999);
    EXPECT_EQ(stream->position(3000), 0);
    EXPECT_NE(tail[1999], -2.0f); // filled
    EXPECT_EQ(tail[2000], -2.0f); // left to the output

    renderFrames(*stream, 2000);
    EXPECT_EQ(lastFilled, 0);
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_EQ(stream->underrunCount(), 0u);

    seekAndRefill(*stream, 0);
    EXPECT_FALSE(stream->isFinished());
    renderFrames(*stream, 4000);
    EXPECT_EQ(finishedCalls, 2);
}

} // namespace
