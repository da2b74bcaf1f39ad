#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTitles.h"
#include "analysis/WaveformPeaks.h"
#include "platform/Mp3Decoder.h"
#include "support/FixtureFiles.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

struct Analyses
{
    std::uint64_t bins = 0;
    WaveformPeaks peaks;
    BassMeterFrames bass;
    SpectrumFrames spectrum;
    QString title;
};

// The four analyses of a load, for a track of the given length.
Analyses analysesOf(const QString& path, double duration)
{
    const QUrl url = QUrl::fromLocalFile(path);
    const AnalysisGeneration current(std::make_shared<AnalysisGeneration::Counter>(0));
    Analyses analyses;
    analyses.bins = waveformBinCountForDuration(duration);
    analyses.peaks = waveformPeaksForURL(url, analyses.bins, current);
    analyses.bass =
        bassMeterFramesForURL(url, bassMeterFrameDurationForDuration(duration), current);
    analyses.spectrum = spectrumFramesForURL(url, spectrumFrameDurationForDuration(duration),
                                             spectrumBandCount, current);
    analyses.title = readableTitleForURL(url);
    return analyses;
}

struct Decoded
{
    std::int64_t samples = 0;
    float leftPeak = 0.0f; // the largest absolute sample of channel 0
};

Decoded decodeAll(Mp3Decoder& decoder)
{
    const auto channels = static_cast<std::size_t>(decoder.format().channelCount);
    Decoded decoded;
    for (auto buffer = decoder.nextBuffer(); !buffer.empty(); buffer = decoder.nextBuffer()) {
        // Buffers hold whole frames: channel 0 comes first in each.
        for (std::size_t i = 0; i < buffer.size(); i += channels)
            decoded.leftPeak = std::max(decoded.leftPeak, std::fabs(buffer[i]));
        decoded.samples += static_cast<std::int64_t>(buffer.size());
    }
    return decoded;
}

void expectEmptyAnalyses(const Analyses& analyses, const QString& path)
{
    EXPECT_EQ(analyses.peaks.left, std::vector<float>(analyses.bins, 0.0f));
    EXPECT_EQ(analyses.peaks.right, std::vector<float>(analyses.bins, 0.0f));
    EXPECT_TRUE(analyses.bass.empty());
    EXPECT_TRUE(analyses.spectrum.empty());
    EXPECT_EQ(analyses.title, fileTitleForURL(QUrl::fromLocalFile(path)));
}

// Every analysis reads the whole of what plays, in values of its range.
void expectAnalysesOfTheWholeTrack(const Analyses& analyses, double duration, float leftPeak)
{
    EXPECT_FLOAT_EQ(std::ranges::max(analyses.peaks.left), std::min(leftPeak, 1.0f));
    EXPECT_TRUE(std::ranges::all_of(analyses.peaks.right, [](float p) { return p <= 1.0f; }));
    EXPECT_NEAR(static_cast<double>(analyses.bass.size()),
                std::ceil(duration / bassMeterFrameDurationForDuration(duration)), 1.0);
    EXPECT_NEAR(static_cast<double>(analyses.spectrum.size()),
                std::ceil(duration / spectrumFrameDurationForDuration(duration)), 1.0);
    for (const BassMeterFrame& frame : analyses.bass)
        EXPECT_TRUE(frame[0] >= -60.0f && frame[1] >= -60.0f && frame[0] < 20.0f &&
                    frame[1] < 20.0f);
    for (const SpectrumLevels& levels : analyses.spectrum)
        EXPECT_TRUE(levels.size() == spectrumBandCount &&
                    std::ranges::all_of(levels, [](float l) { return l >= 0.0f && l <= 1.0f; }));
}

TEST(DecoderCorpus, EachFileIsRefusedWithAReasonOrPlaysWhatMpg123PlaysAndIsAnalysedWhole)
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
        const Analyses analyses = analysesOf(path, duration);
        // However broken the tag, the title line gets whole characters, and at most 35 units.
        EXPECT_TRUE(QStringView(analyses.title).isValidUtf16());
        EXPECT_LE(analyses.title.size(), 35);
        if (!file.title.empty()) {
            EXPECT_EQ(analyses.title, titleForDisplay(QString::fromStdString(file.title)));
        }
        if (!decoder) {
            EXPECT_TRUE(error.startsWith(path + ": ")) << error.toStdString();
            EXPECT_FALSE(Mp3Decoder::open(path, nullptr, Mp3Decoder::Length::Estimated));
            expectEmptyAnalyses(analyses, path);
            continue;
        }
        const Decoded decoded = decodeAll(*decoder);
        EXPECT_EQ(decoded.samples, decoder->frameCount() * channels);
        EXPECT_NEAR(static_cast<double>(decoder->frameCount()), static_cast<double>(heardFrames),
                    1152.0);
        expectAnalysesOfTheWholeTrack(analyses, duration, decoded.leftPeak);
    }
}

TEST(DecoderCorpus, WhatIsNoRegularFileIsRefusedAtOpenWithAReasonAndAnalysedAsNothing)
{
    FixtureFiles files;
    for (const auto& [kind, path] : files.unopenablePaths()) {
        for (const auto length : {Mp3Decoder::Length::Exact, Mp3Decoder::Length::Estimated}) {
            QString error;
            EXPECT_FALSE(Mp3Decoder::open(path, &error, length)) << kind;
            EXPECT_TRUE(error.startsWith(path + ": ")) << kind;
        }
        SCOPED_TRACE(kind);
        expectEmptyAnalyses(analysesOf(path, 0.0), path);
    }
}

} // namespace
