#include "audio/Mp3Decoder.h"
#include "support/FixtureFiles.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

std::vector<float> decodeAll(Mp3Decoder& decoder)
{
    std::vector<float> samples;
    for (auto buffer = decoder.nextBuffer(); !buffer.empty(); buffer = decoder.nextBuffer())
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    return samples;
}

double rmsDifference(std::span<const float> a, std::span<const float> b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}

struct LengthCase
{
    int sampleRate;
    int channels;
    std::int64_t frames;
};

class DecodedSignal : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(DecodedSignal, HasTheEncodedLengthRateChannelsAndSamples)
{
    const auto [rate, channels, frames] = GetParam();
    FixtureFiles files;
    const Pcm sine = sineWave(997, 0.4, rate, channels, frames);
    QString error;
    auto decoder = Mp3Decoder::open(files.writeMp3("length.mp3", sine), &error);
    ASSERT_TRUE(decoder) << error.toStdString();
    EXPECT_EQ(decoder->format().sampleRate, rate);
    EXPECT_EQ(decoder->format().channelCount, channels);
    EXPECT_EQ(decoder->frameCount(), frames);
    EXPECT_DOUBLE_EQ(decoder->duration(), static_cast<double>(frames) / rate);
    const std::vector<float> decoded = decodeAll(*decoder);
    ASSERT_EQ(decoded.size(), sine.samples.size());
    // Sample-aligned: a shift of one sample alone would cost about 0.04.
    EXPECT_LT(rmsDifference(decoded, sine.samples), 0.02);
}

INSTANTIATE_TEST_SUITE_P(Mp3DecoderTest, DecodedSignal,
                         ::testing::Values(LengthCase{44100, 2, 88217}, LengthCase{44100, 1, 44100},
                                           LengthCase{48000, 2, 1000}, LengthCase{22050, 2, 30000},
                                           LengthCase{8000, 1, 16001}));

TEST(Mp3DecoderTest, SeekStartsTheNextBufferAtTheRequestedFrame)
{
    FixtureFiles files;
    const QString path = files.writeMp3("seek.mp3", sineWave(440, 0.5, 44100, 2, 3 * 44100));
    auto reference = Mp3Decoder::open(path);
    auto decoder = Mp3Decoder::open(path);
    ASSERT_TRUE(reference && decoder);
    const std::vector<float> whole = decodeAll(*reference);
    for (std::size_t frame : {66150u, 1u, 132299u}) {
        ASSERT_TRUE(decoder->seek(static_cast<std::int64_t>(frame)));
        const auto buffer = decoder->nextBuffer();
        const std::size_t count = std::min(buffer.size(), whole.size() - 2 * frame);
        ASSERT_GT(count, 0u);
        EXPECT_LT(rmsDifference(buffer.first(count), std::span(whole).subspan(2 * frame, count)),
                  1e-3)
            << frame;
    }
    ASSERT_TRUE(decoder->seek(decoder->frameCount()));
    EXPECT_TRUE(decoder->nextBuffer().empty());
}

struct TitleCase
{
    std::optional<std::string> id3v2;
    std::optional<std::string> id3v1;
    QString expected;
};

class Title : public ::testing::TestWithParam<TitleCase>
{};

TEST_P(Title, ComesFromTheTags)
{
    FixtureFiles files;
    Mp3Options options;
    options.id3v2Title = GetParam().id3v2;
    options.id3v1Title = GetParam().id3v1;
    auto decoder = Mp3Decoder::open(files.writeMp3("title.mp3", silence(44100, 2, 4410), options));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->title(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3DecoderTest, Title,
    ::testing::Values(
        TitleCase{"Grüße aus Köln – 東京", std::nullopt, QStringLiteral("Grüße aus Köln – 東京")},
        TitleCase{"Neu", "Alt", QStringLiteral("Neu")},
        TitleCase{"", "Alte Aufnahme", QStringLiteral("Alte Aufnahme")}, // empty TIT2 falls through
        TitleCase{std::nullopt, "Caf\xe9 am Meer", QStringLiteral("Café am Meer")},
        TitleCase{std::nullopt, std::nullopt, QString()}));

TEST(Mp3DecoderTest, AnEstimatedLengthDecodesTheSameAudioAndTitle)
{
    FixtureFiles files;
    Mp3Options options;
    options.id3v1Title = "Nur ID3v1";
    const QString path =
        files.writeMp3("estimated.mp3", sineWave(440, 0.5, 44100, 2, 88217), options);
    auto exact = Mp3Decoder::open(path);
    auto estimated = Mp3Decoder::open(path, nullptr, Mp3Decoder::Length::Estimated);
    ASSERT_TRUE(exact && estimated);
    EXPECT_EQ(estimated->title(), QStringLiteral("Nur ID3v1"));
    // LAME's info frame states the exact length, so the estimate of its files is exact.
    EXPECT_EQ(estimated->frameCount(), 88217);
    EXPECT_EQ(decodeAll(*estimated), decodeAll(*exact));
}

} // namespace
