#include "platform/Mp3Decoder.h"
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

double rmsDifference(const std::vector<float>& a, const std::vector<float>& b)
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

void PrintTo(const LengthCase& c, std::ostream* out)
{
    *out << c.sampleRate << " Hz, " << c.channels << " channels, " << c.frames << " frames";
}

class DecodedLength : public ::testing::TestWithParam<LengthCase>
{};

std::string lengthCaseName(const ::testing::TestParamInfo<LengthCase>& info)
{
    return std::to_string(info.param.sampleRate) + "Hz" + std::to_string(info.param.channels) +
           "Channels" + std::to_string(info.param.frames) + "Frames";
}

TEST_P(DecodedLength, EqualsTheEncodedSignalsLengthAtItsOwnRateAndChannels)
{
    const LengthCase c = GetParam();
    FixtureFiles files;
    const QString path =
        files.writeMp3("length.mp3", sineWave(997, 0.4, c.sampleRate, c.channels, c.frames));

    QString error;
    auto decoder = Mp3Decoder::open(path, &error);
    ASSERT_TRUE(decoder) << error.toStdString();
    EXPECT_EQ(decoder->format().sampleRate, c.sampleRate);
    EXPECT_EQ(decoder->format().channelCount, c.channels);
    EXPECT_EQ(decoder->frameCount(), c.frames);
    EXPECT_DOUBLE_EQ(decoder->duration(), static_cast<double>(c.frames) / c.sampleRate);
    EXPECT_EQ(decodeAll(*decoder).size(), static_cast<std::size_t>(c.frames * c.channels));
}

INSTANTIATE_TEST_SUITE_P(RatesAndChannels, DecodedLength,
                         ::testing::Values(LengthCase{44100, 2, 88217}, LengthCase{44100, 1, 44100},
                                           LengthCase{48000, 2, 1000}, LengthCase{22050, 2, 30000},
                                           LengthCase{8000, 1, 16001}),
                         lengthCaseName);

TEST(Mp3Decoder, DecodesASineCloseToTheEncodedSamples)
{
    FixtureFiles files;
    const Pcm sine = sineWave(1000, 0.5, 44100, 2, 44100);
    Mp3Options options;
    options.bitrateKbps = 192;
    auto decoder = Mp3Decoder::open(files.writeMp3("sine.mp3", sine, options));
    ASSERT_TRUE(decoder);

    const std::vector<float> decoded = decodeAll(*decoder);
    ASSERT_EQ(decoded.size(), sine.samples.size());
    // Sample-aligned: a shift of even one sample would cost 0.05 at 1 kHz.
    EXPECT_LT(rmsDifference(decoded, sine.samples), 0.02);
}

TEST(Mp3Decoder, SeekStartsTheNextBufferAtTheRequestedFrame)
{
    FixtureFiles files;
    const QString path = files.writeMp3("seek.mp3", sineWave(440, 0.5, 44100, 2, 3 * 44100));
    auto reference = Mp3Decoder::open(path);
    auto decoder = Mp3Decoder::open(path);
    ASSERT_TRUE(reference && decoder);
    const std::vector<float> whole = decodeAll(*reference);

    for (std::int64_t frame : {std::int64_t{66150}, std::int64_t{1}, std::int64_t{132299}}) {
        ASSERT_TRUE(decoder->seek(frame));
        const auto buffer = decoder->nextBuffer();
        ASSERT_FALSE(buffer.empty());
        const std::size_t start = static_cast<std::size_t>(frame) * 2;
        const std::size_t count = std::min(buffer.size(), whole.size() - start);
        std::vector<float> expected(whole.begin() + static_cast<std::ptrdiff_t>(start),
                                    whole.begin() + static_cast<std::ptrdiff_t>(start + count));
        EXPECT_LT(
            rmsDifference({buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count)},
                          expected),
            1e-3)
            << "at frame " << frame;
    }
    ASSERT_TRUE(decoder->seek(decoder->frameCount()));
    EXPECT_TRUE(decoder->nextBuffer().empty());
}

struct TitleCase
{
    const char* name;
    std::optional<std::string> id3v2;
    std::optional<std::string> id3v1;
    QString expected;
};

void PrintTo(const TitleCase& c, std::ostream* out)
{
    *out << c.name;
}

class Title : public ::testing::TestWithParam<TitleCase>
{};

TEST_P(Title, ComesFromTheTags)
{
    const TitleCase c = GetParam();
    FixtureFiles files;
    Mp3Options options;
    options.id3v2Title = c.id3v2;
    options.id3v1Title = c.id3v1;
    auto decoder = Mp3Decoder::open(files.writeMp3("title.mp3", silence(44100, 2, 4410), options));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->title(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, Title,
    ::testing::Values(TitleCase{"Id3v2NonAscii", "Grüße aus Köln – 東京", std::nullopt,
                                QStringLiteral("Grüße aus Köln – 東京")},
                      TitleCase{"Id3v2BeforeId3v1", "Neu", "Alt", QStringLiteral("Neu")},
                      TitleCase{"EmptyId3v2FallsThrough", "", "Alte Aufnahme",
                                QStringLiteral("Alte Aufnahme")},
                      TitleCase{"Id3v1Latin1Alone", std::nullopt, "Caf\xe9 am Meer",
                                QStringLiteral("Café am Meer")},
                      TitleCase{"Untagged", std::nullopt, std::nullopt, QString()}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST(Mp3Decoder, RefusesEveryUnplayableFileAtOpenWithAReason)
{
    FixtureFiles files;
    const auto unopenable = files.unopenableFiles();
    for (const auto length : {Mp3Decoder::Length::Exact, Mp3Decoder::Length::Estimated}) {
        for (const auto& file : unopenable) {
            QString error;
            EXPECT_FALSE(Mp3Decoder::open(file.path, &error, length)) << file.kind;
            EXPECT_FALSE(error.isEmpty()) << file.kind;
        }
    }
}

TEST(Mp3Decoder, AnEstimatedLengthDecodesTheSameAudioAndTitle)
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

TEST(Mp3Decoder, AFileCutMidwayOpensAndEndsWhereItsDataEnds)
{
    FixtureFiles files;
    std::int64_t signalFrames = 0;
    auto decoder = Mp3Decoder::open(files.cutMidway(&signalFrames));
    ASSERT_TRUE(decoder);
    const auto decodedFrames = static_cast<std::int64_t>(decodeAll(*decoder).size() / 2);
    EXPECT_GT(decodedFrames, signalFrames / 3);
    EXPECT_LT(decodedFrames, signalFrames * 2 / 3);
    EXPECT_NEAR(static_cast<double>(decoder->frameCount()), static_cast<double>(decodedFrames),
                1152.0);
}

} // namespace
