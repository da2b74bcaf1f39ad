#include "audio/PlaybackStream.h"
#include "support/FixtureFiles.h"

#include <cmath>

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

} // namespace
