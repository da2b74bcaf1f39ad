#include "audio/StreamQueue.h"
#include "audio/PlaybackStream.h"
#include "support/FixtureFiles.h"

#include <atomic>
#include <optional>

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Streams = std::vector<const PlaybackStream*>;
constexpr std::uint64_t device = 1;
constexpr std::uint64_t otherDevice = 2;

class StreamQueueTest : public ::testing::Test
{
protected:
    // Shorter than what a stream decodes as it is made: it renders whole without waiting.
    std::unique_ptr<PlaybackStream> track(const QString& name, double seconds)
    {
        auto decoder = Mp3Decoder::open(files.writeSine(name, seconds));
        return decoder ? std::make_unique<PlaybackStream>(std::move(decoder)) : nullptr;
    }

    // Renders in device buffers from `at` until the queue gives nothing more; the frames filled.
    std::int64_t renderAll(std::uint64_t route, std::int64_t at = 0)
    {
        std::vector<float> buffer(2 * bufferFrames);
        std::int64_t filled = 0;
        while (const int frames = queue.render(route, buffer.data(), bufferFrames, at + filled)) {
            filled += frames;
            if (frames < bufferFrames)
                break;
        }
        return filled;
    }

    static StreamQueue::PlayedOnRoute played(std::int64_t frames)
    {
        return [frames](std::uint64_t route) {
            return route == device ? std::optional(frames) : std::nullopt;
        };
    }

    static constexpr int bufferFrames = 1024;
    FixtureFiles files;
    std::atomic<int> taken = 0;
    StreamQueue queue{[this] { ++taken; }};
};

TEST_F(StreamQueueTest, TheNextTrackFollowsInTheSameBufferAndEachIsHeardWhenItsLastFrameIsPlayed)
{
    auto first = track("first.mp3", 0.3), second = track("second.mp3", 0.2);
    ASSERT_TRUE(first && second);
    queue.append(*first);
    queue.append(*second);
    EXPECT_EQ(renderAll(device), 0) << "no device may render yet";
    queue.setRenderingRoute(device);
    EXPECT_EQ(renderAll(otherDevice), 0) << "a replaced device renders nothing";

    // Every buffer is full up to the last frame of the second track: no gap at the change.
    const std::int64_t total = first->frameCount() + second->frameCount();
    EXPECT_EQ(renderAll(device), total);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(first->endOnTimeline(), first->frameCount());
    EXPECT_EQ(second->endOnTimeline(), total);
    EXPECT_EQ(queue.takeHanded(), (Streams{first.get(), second.get()}));
    EXPECT_TRUE(queue.takeHanded().empty()) << "each is told once";

    StreamQueue::Heard heard = queue.takeHeard(played(first->frameCount()));
    EXPECT_EQ(heard.ended, Streams{first.get()});
    EXPECT_GT(heard.nextEndMs, 0);
    EXPECT_FALSE(heard.idle);
    heard = queue.takeHeard(played(total));
    EXPECT_EQ(heard.ended, Streams{second.get()});
    EXPECT_TRUE(heard.idle);
}

TEST_F(StreamQueueTest, ACutReplaysTheUnheardTailAndWhatFollowsButATailOnAGoneDeviceEnds)
{
    auto first = track("first.mp3", 0.3), second = track("second.mp3", 0.2);
    ASSERT_TRUE(first && second);
    queue.setRenderingRoute(device);
    queue.append(*first);
    ASSERT_EQ(renderAll(device), first->frameCount());
    queue.append(*second);
    const std::int64_t heardTo = first->frameCount() / 2;
    EXPECT_EQ(queue.unheardTailEnd(device, heardTo), first->frameCount());
    EXPECT_EQ(queue.unheardTailEnd(otherDevice, heardTo), -1);

    queue.restartFrom(device, heardTo);
    EXPECT_EQ(queue.takeQueued(), (std::deque<PlaybackStream*>{first.get(), second.get()}));
    EXPECT_EQ(first->position(heardTo), heardTo);

    // Queued again after the cut, the rest of the first track and the whole second are rendered.
    queue.append(*first);
    queue.append(*second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->isFilled(); }, 5000));
    EXPECT_EQ(renderAll(device, heardTo), first->frameCount() - heardTo + second->frameCount());
    queue.setRenderingRoute(otherDevice);
    EXPECT_EQ(queue.takeHeard(played(heardTo)).ended, Streams{})
        << "the tails sound on the first device";
    EXPECT_EQ(queue.takeHeard([](std::uint64_t) { return std::nullopt; }).ended,
              (Streams{first.get(), second.get()}))
        << "gone with their device";
}

} // namespace
