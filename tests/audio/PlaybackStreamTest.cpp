#include "audio/PlaybackStream.h"
#include "audio/StreamQueue.h"
#include "support/FixtureFiles.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

class PlaybackStreamTest : public ::testing::Test
{
protected:
    std::unique_ptr<PlaybackStream> streamOf(const Pcm& pcm, const QString& name = "stream.mp3")
    {
        auto decoder = Mp3Decoder::open(files.writeMp3(name, pcm));
        if (!decoder)
            return nullptr;
        return std::make_unique<PlaybackStream>(std::move(decoder), [] {});
    }

    // Renders at the next frames of the output's timeline; what is not filled stays -2.
    std::vector<float> renderFrames(PlaybackStream& stream, int frames, int channels = 2)
    {
        std::vector<float> out(static_cast<std::size_t>(frames * channels), -2.0f);
        stream.render(out.data(), frames, timeline);
        timeline += frames;
        return out;
    }

    FixtureFiles files;
    std::int64_t timeline = 0;
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

// The streams queued for a device render one after another: the second track's first frame
// follows the first's last in the same buffer. Each ends once its last frame is played, or with
// its device; only the device the queue renders for takes from it.
TEST_F(PlaybackStreamTest, QueuedStreamsFollowInTheSameBufferAndEndWhenPlayedOrWithTheirDevice)
{
    // Shorter than what a stream decodes as it is made: they render whole without waiting.
    auto first = streamOf(sineWave(440, 0.5, 44100, 2, 13000), "first.mp3");
    auto second = streamOf(sineWave(440, 0.5, 44100, 2, 9000), "second.mp3");
    ASSERT_TRUE(first && second);
    int taken = 0;
    StreamQueue queue([&taken] { ++taken; });
    const auto renderAll = [&](std::uint64_t route) {
        std::vector<float> buffer(2 * 1024);
        std::int64_t filled = 0;
        while (const int frames = queue.render(route, buffer.data(), 1024, filled)) {
            filled += frames;
            if (frames < 1024)
                break;
        }
        return filled;
    };
    queue.append(*first);
    queue.append(*second);
    EXPECT_EQ(renderAll(1), 0) << "no device may render yet";
    queue.setRenderingRoute(1);
    EXPECT_EQ(renderAll(2), 0) << "a replaced device renders nothing";
    const std::int64_t total = first->frameCount() + second->frameCount();
    EXPECT_EQ(renderAll(1), total);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(second->endOnTimeline(), total);
    using Streams = std::vector<const PlaybackStream*>;
    EXPECT_EQ(queue.takeHanded(), (Streams{first.get(), second.get()}));
    EXPECT_TRUE(queue.takeHanded().empty()) << "each is told once";

    StreamQueue::Heard heard =
        queue.takeHeard([&](std::uint64_t route) { return route == 1 ? first->frameCount() : -1; });
    EXPECT_EQ(heard.ended, Streams{first.get()});
    EXPECT_GT(heard.nextEndMs, 0);
    EXPECT_FALSE(heard.idle);
    heard = queue.takeHeard([](std::uint64_t) { return std::nullopt; });
    EXPECT_EQ(heard.ended, Streams{second.get()}) << "gone with its device";
    EXPECT_TRUE(heard.idle);
}

} // namespace
