#include "analysis/SampleReader.h"
#include "support/PcmSampleSource.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

auto newCounter()
{
    return std::make_shared<AnalysisGeneration::Counter>(7);
}

std::vector<float> readAll(SampleReader& reader)
{
    std::vector<float> samples;
    for (auto buffer = reader.nextBuffer(); !buffer.empty(); buffer = reader.nextBuffer())
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    return samples;
}

TEST(AnalysisGeneration, IsCurrentUntilTheCounterMovesOn)
{
    const auto counter = newCounter();
    const AnalysisGeneration generation(counter);
    const AnalysisGeneration copy = generation;
    EXPECT_EQ(generation.value(), 7u);
    EXPECT_TRUE(copy.isCurrent());
    ++*counter;
    EXPECT_FALSE(generation.isCurrent());
    EXPECT_FALSE(copy.isCurrent());
    EXPECT_TRUE(AnalysisGeneration(counter).isCurrent());
}

TEST(AnalysisGeneration, WithoutACounterIsNeverCurrent)
{
    EXPECT_FALSE(AnalysisGeneration(nullptr).isCurrent());
    EXPECT_FALSE(AnalysisGeneration(nullptr, 0).isCurrent());
}

struct FormatCase
{
    AudioFormat stated;
    AudioFormat expected;
};

class ReaderFormat : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(ReaderFormat, ReplacesWhatTheTrackDoesNotGive)
{
    const FormatCase c = GetParam();
    PcmSampleSource source({0.5f}, c.stated, 1.0);
    SampleReader reader(source, AnalysisGeneration(newCounter()));
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(reader.format().sampleRate, c.expected.sampleRate);
    EXPECT_EQ(reader.format().channelCount, c.expected.channelCount);
}

INSTANTIATE_TEST_SUITE_P(
    StatedFormats, ReaderFormat,
    ::testing::Values(FormatCase{{0, 0}, {44100, 2}}, FormatCase{{-8000, -1}, {44100, 2}},
                      FormatCase{{48000, 1}, {48000, 1}}, FormatCase{{22050, 6}, {22050, 6}},
                      FormatCase{{0, 1}, {44100, 1}}, FormatCase{{8000, 0}, {8000, 2}}));

TEST(SampleReader, ReadsSamplesThatAreNotFiniteAsZero)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    PcmSampleSource source({0.25f, std::nanf(""), -infinity, 1.5f, infinity, -0.75f}, {44100, 2},
                           1.0);
    source.bufferSizes = {2, 4};
    SampleReader reader(source, AnalysisGeneration(newCounter()));
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(readAll(reader), (std::vector<float>{0.25f, 0.0f, 0.0f, 1.5f, 0.0f, -0.75f}));
}

TEST(SampleReader, DeliversEveryBufferInOrderUntilTheEnd)
{
    const Pcm noise = whiteNoise(0.9, 44100, 2, 1000, 3);
    PcmSampleSource source(noise);
    source.bufferSizes = {1, 999, 3};
    SampleReader reader(source, AnalysisGeneration(newCounter()));
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(readAll(reader), noise.samples);
    EXPECT_FALSE(reader.wasSuperseded());
}

TEST(SampleReader, ASupersededGenerationDoesNotOpenTheTrack)
{
    const auto counter = newCounter();
    const AnalysisGeneration generation(counter);
    ++*counter;
    PcmSampleSource source(silence(44100, 2, 100));
    SampleReader reader(source, generation);
    EXPECT_FALSE(reader.open());
    EXPECT_EQ(source.openCount, 0);
}

TEST(SampleReader, StopsAtTheBufferDuringWhichTheGenerationChanged)
{
    const auto counter = newCounter();
    PcmSampleSource source(dcLevel(0.5, 44100, 2, 1000));
    source.bufferSizes = {100};
    source.supersedingCounter = counter;
    source.supersededAtBuffer = 2;
    SampleReader reader(source, AnalysisGeneration(counter));
    ASSERT_TRUE(reader.open());
    EXPECT_EQ(readAll(reader).size(), 200u);
    EXPECT_TRUE(reader.wasSuperseded());
    // Once the change is seen, not even the next buffer is decoded.
    EXPECT_TRUE(reader.nextBuffer().empty());
    EXPECT_EQ(source.buffersDelivered, 3u);
}

} // namespace
