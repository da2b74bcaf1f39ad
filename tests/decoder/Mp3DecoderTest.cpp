#include "decoder/Mp3Decoder.h"
#include "signals/Recordings.h"
#include "support/FixtureFiles.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

namespace {

std::vector<float> decodedSamples(Mp3Decoder& decoder)
{
    std::vector<float> samples;
    for (auto buffer = decoder.nextBuffer(); !buffer.empty(); buffer = decoder.nextBuffer())
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    return samples;
}

double rmsDifference(std::span<const float> a, std::span<const float> b)
{
    std::vector<float> difference(a.size());
    std::transform(a.begin(), a.end(), b.begin(), difference.begin(), std::minus<>());
    return rms(difference);
}

TEST(Mp3DecoderTest, DecodesTheEncodedLengthRateChannelsAndSamples)
{
    FixtureFiles files;
    // Rate, channels, frames.
    for (const auto& [rate, channels, frames] :
         std::vector<std::tuple<int, int, std::int64_t>>{{44100, 2, 88217},
                                                         {44100, 1, 44100},
                                                         {48000, 2, 1000},
                                                         {22050, 2, 30000},
                                                         {8000, 1, 16001}}) {
        SCOPED_TRACE(rate * 10 + channels);
        const Pcm sine = sineWave(997, 0.4, rate, channels, frames);
        QString error;
        auto decoder = Mp3Decoder::open(files.writeMp3("length.mp3", sine), &error);
        ASSERT_TRUE(decoder) << error.toStdString();
        EXPECT_EQ(decoder->format().sampleRate, rate);
        EXPECT_EQ(decoder->format().channelCount, channels);
        EXPECT_EQ(decoder->frameCount(), frames);
        EXPECT_DOUBLE_EQ(decoder->duration(), static_cast<double>(frames) / rate);
        const std::vector<float> decoded = decodedSamples(*decoder);
        ASSERT_EQ(decoded.size(), sine.samples.size());
        // Sample-aligned: a shift of one sample alone would cost about 0.04.
        EXPECT_LT(rmsDifference(decoded, sine.samples), 0.02);
    }
}

TEST(Mp3DecoderTest, SeekStartsTheNextBufferAtTheRequestedFrame)
{
    FixtureFiles files;
    const QString path = files.writeMp3("seek.mp3", sineWave(440, 0.5, 44100, 2, 3 * 44100));
    auto reference = Mp3Decoder::open(path);
    auto decoder = Mp3Decoder::open(path);
    ASSERT_TRUE(reference && decoder);
    const std::vector<float> whole = decodedSamples(*reference);
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

TEST(Mp3DecoderTest, TheTitleComesFromTheTagsID3v2First)
{
    using Tag = std::optional<std::string>;
    FixtureFiles files;
    for (const auto& [id3v2, id3v1, expected] : std::vector<std::tuple<Tag, Tag, QString>>{
             {"Grüße aus Köln – 東京", std::nullopt, "Grüße aus Köln – 東京"},
             {"Neu", "Alt", "Neu"},
             {"", "Alte Aufnahme", "Alte Aufnahme"}, // an empty TIT2 falls through
             {std::nullopt, "Caf\xe9 am Meer", "Café am Meer"},
             {std::nullopt, std::nullopt, ""}}) {
        const Mp3Options options{.id3v2Title = id3v2, .id3v1Title = id3v1};
        auto decoder =
            Mp3Decoder::open(files.writeMp3("title.mp3", silence(44100, 2, 4410), options));
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->title(), expected);
    }
}

TEST(Mp3DecoderTest, EachReplayGainComesFromID3v2ThenAPEv2ThenTheLameHeader)
{
    using Texts = std::vector<std::pair<std::string, std::string>>;
    const Texts id3Gain{{"REPLAYGAIN_TRACK_GAIN", "-6.02 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.5"}};
    const Texts apeGain{{"Replaygain_Track_Gain", "-2 dB"},
                        {"REPLAYGAIN_TRACK_PEAK", "0.25"},
                        {"REPLAYGAIN_ALBUM_GAIN", "-5 dB"}};
    // Gains beyond what a tagger writes, and no numbers, are passed over.
    const Texts bad{{"REPLAYGAIN_TRACK_GAIN", "1e308 dB"}, {"REPLAYGAIN_TRACK_PEAK", "nan"}};
    const Texts albumGain{{"REPLAYGAIN_ALBUM_GAIN", "-4 dB"}, {"REPLAYGAIN_ALBUM_PEAK", "0.9"}};
    FixtureFiles files;
    // The tags, and the track's and the album's gain and peak found.
    for (const auto& [options, expected] : std::vector<std::pair<Mp3Options, std::string>>{
             {{}, "|"},
             {{.id3v2Extras = id3Gain}, "-6.02 0.5|"},
             {{.id3v2Extras = {{"replaygain_track_gain", "+3.5 dB"}}}, "3.5 0|"},
             {{.id3v1Title = "Alt", .apeItems = apeGain}, "-2 0.25|-5 0"},
             {{.id3v2Extras = albumGain, .apeItems = apeGain}, "-2 0.25|-4 0.9"},
             {{.id3v2Extras = id3Gain, .apeItems = apeGain, .lameReplayGain = true},
              "-6.02 0.5|-5 0"},
             {{.id3v2Extras = bad, .apeItems = bad}, "|"}}) {
        auto decoder = Mp3Decoder::open(
            files.writeMp3("gain.mp3", sineWave(440, 0.5, 44100, 2, 4410), options));
        ASSERT_TRUE(decoder);
        const auto text = [](const std::optional<ReplayGain>& gain) {
            return gain ? QStringLiteral("%1 %2").arg(gain->gainDB).arg(gain->peak) : QString();
        };
        const ReplayGains& found = decoder->replayGains();
        EXPECT_EQ((text(found.track) + '|' + text(found.album)).toStdString(), expected);
    }
    // A gain that LAME measured into its header is read, 6 dB more for half the amplitude; a
    // tag's gain wins over it.
    const auto headerGain = [&](double amplitude, const Texts& ape) {
        const auto decoder =
            Mp3Decoder::open(files.writeMp3("lame.mp3", sineWave(440, amplitude, 44100, 2, 44100),
                                            {.apeItems = ape, .lameReplayGain = true}));
        return decoder ? decoder->replayGains().track : std::nullopt;
    };
    const auto loud = headerGain(0.5, {}), quiet = headerGain(0.25, {});
    const auto tagged = headerGain(0.5, apeGain);
    ASSERT_TRUE(loud && quiet && tagged);
    EXPECT_NEAR(quiet->gainDB - loud->gainDB, 6.02, 0.2);
    EXPECT_EQ(std::pair(tagged->gainDB, tagged->peak), std::pair(-2.0, 0.25));
}

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
    EXPECT_EQ(decodedSamples(*estimated), decodedSamples(*exact));
}

} // namespace
