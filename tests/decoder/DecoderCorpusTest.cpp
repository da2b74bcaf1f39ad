#include "corpus/FileAnalyses.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"
#include "support/FixtureFiles.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

void expectEmptyAnalyses(const FileAnalyses& analyses, const QString& path)
{
    EXPECT_EQ(analyses.peaks.left, std::vector<float>(analyses.bins, 0.0f));
    EXPECT_EQ(analyses.peaks.right, std::vector<float>(analyses.bins, 0.0f));
    EXPECT_TRUE(analyses.bass.empty());
    EXPECT_TRUE(analyses.spectrum.empty());
    EXPECT_EQ(analyses.title, fileTitleForURL(QUrl::fromLocalFile(path)));
}

// Every analysis reads the whole of what plays.
void expectAnalysesOfTheWholeTrack(const FileAnalyses& analyses, double duration, float leftPeak)
{
    EXPECT_FLOAT_EQ(std::ranges::max(analyses.peaks.left), std::min(leftPeak, 1.0f));
    EXPECT_NEAR(static_cast<double>(analyses.bass.size()),
                std::ceil(duration / bassMeterFrameDurationForDuration(duration)), 1.0);
    EXPECT_NEAR(static_cast<double>(analyses.spectrum.size()),
                std::ceil(duration / spectrumFrameDurationForDuration(duration)), 1.0);
}

TEST(DecoderCorpusTest, EachFileIsRefusedWithAReasonOrPlaysWhatMpg123PlaysAndIsAnalysedWhole)
{
    FixtureFiles files;
    for (const CorpusFile& file : decoderCorpus()) {
        SCOPED_TRACE(file.name);
        const QString path = files.write(file);
        QString error;
        const auto decoder = Mp3Decoder::open(path, &error);
        const int channels = decoder ? decoder->format().channelCount : 2;
        const qint64 heardFrames = mpg123FrameCount(files.writeHeardPart(file), channels);
        const bool playable = file.verdict == CorpusFile::Verdict::AsMpg123 && heardFrames > 0;
        ASSERT_EQ(decoder != nullptr, playable) << error.toStdString();
        const double duration = decoder ? decoder->duration() : 0.0;
        const FileAnalyses analyses = FileAnalyses::of(path, duration);
        // However broken the tag, the title line gets whole characters, and at most 35 units.
        EXPECT_TRUE(analyses.areInRange());
        if (!file.title.empty()) {
            EXPECT_EQ(analyses.title, titleForDisplay(QString::fromStdString(file.title)));
        }
        if (!decoder) {
            EXPECT_TRUE(error.startsWith(path + ": ")) << error.toStdString();
            EXPECT_FALSE(Mp3Decoder::open(path, nullptr, Mp3Decoder::Length::Estimated));
            expectEmptyAnalyses(analyses, path);
            continue;
        }
        const DecodedStream decoded = decodeAll(*decoder);
        const std::int64_t frames = decoder->frameCount();
        EXPECT_EQ(decoded.samples, frames * channels);
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(heardFrames), 1152.0);
        expectAnalysesOfTheWholeTrack(analyses, duration, decoded.leftPeak);
        // A seek to the middle, as a scrub makes one, plays on to the same end.
        ASSERT_TRUE(decoder->seek(frames / 2));
        EXPECT_EQ(decodeAll(*decoder).samples, (frames - frames / 2) * channels);
    }
}

TEST(DecoderCorpusTest, WhatIsNoRegularFileIsRefusedAtOpenWithAReasonAndAnalysedAsNothing)
{
    FixtureFiles files;
    for (const auto& [kind, path] : files.unopenablePaths()) {
        for (const auto length : {Mp3Decoder::Length::Exact, Mp3Decoder::Length::Estimated}) {
            QString error;
            EXPECT_FALSE(Mp3Decoder::open(path, &error, length)) << kind;
            EXPECT_TRUE(error.startsWith(path + ": ")) << kind;
        }
        SCOPED_TRACE(kind);
        expectEmptyAnalyses(FileAnalyses::of(path, 0.0), path);
    }
}

} // namespace
