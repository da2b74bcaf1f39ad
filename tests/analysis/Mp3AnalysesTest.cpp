#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"
#include "platform/Mp3Decoder.h"
#include "support/FixtureFiles.h"
#include "support/PcmSampleSource.h"

#include <gtest/gtest.h>

namespace {

TEST(Mp3Analyses, ReadTheDecodedSamplesOfTheFile)
{
    FixtureFiles files;
    const QString path = files.writeMp3(QStringLiteral("tune.mp3"), demoTune(44100));
    auto decoder = Mp3Decoder::open(path);
    ASSERT_TRUE(decoder);
    std::vector<float> decoded;
    for (auto buffer = decoder->nextBuffer(); !buffer.empty(); buffer = decoder->nextBuffer())
        decoded.insert(decoded.end(), buffer.begin(), buffer.end());
    const auto exact = [&] {
        return PcmSampleSource(decoded, decoder->format(), decoder->duration());
    };

    const QUrl url = QUrl::fromLocalFile(path);
    const std::uint64_t bins = waveformBinCountForDuration(decoder->duration());
    const double bassFrame = bassMeterFrameDurationForDuration(decoder->duration());
    const double spectrumFrame = spectrumFrameDurationForDuration(decoder->duration());

    PcmSampleSource waveformSource = exact();
    const WaveformPeaks expectedPeaks =
        waveformPeaksForSource(waveformSource, bins, currentGeneration());
    const WaveformPeaks peaks = waveformPeaksForURL(url, bins, currentGeneration());
    EXPECT_EQ(peaks.left, expectedPeaks.left);
    EXPECT_EQ(peaks.right, expectedPeaks.right);
    EXPECT_GT(*std::max_element(peaks.left.begin(), peaks.left.end()), 0.3f);

    PcmSampleSource bassSource = exact();
    const BassMeterFrames bass = bassMeterFramesForURL(url, bassFrame, currentGeneration());
    EXPECT_EQ(bass, bassMeterFramesForSource(bassSource, bassFrame, currentGeneration()));
    EXPECT_EQ(bass.size(), 360u);

    PcmSampleSource spectrumSource = exact();
    const SpectrumFrames spectrum =
        spectrumFramesForURL(url, spectrumFrame, spectrumBandCount, currentGeneration());
    EXPECT_EQ(spectrum, spectrumFramesForSource(spectrumSource, spectrumFrame, spectrumBandCount,
                                                currentGeneration()));
    EXPECT_EQ(spectrum.size(), 120u);
}

TEST(Mp3Analyses, AFileThatCannotBeReadGivesEmptyResults)
{
    FixtureFiles files;
    std::vector<QUrl> urls{QUrl(QStringLiteral("https://example.org/track.mp3"))};
    for (const auto& file : files.unopenableFiles())
        urls.push_back(QUrl::fromLocalFile(file.path));
    for (const QUrl& url : urls) {
        const WaveformPeaks peaks = waveformPeaksForURL(url, 600, currentGeneration());
        EXPECT_EQ(peaks.left, std::vector<float>(600, 0.0f)) << url.toString().toStdString();
        EXPECT_EQ(peaks.right, std::vector<float>(600, 0.0f)) << url.toString().toStdString();
        EXPECT_TRUE(bassMeterFramesForURL(url, 1.0 / 60, currentGeneration()).empty());
        EXPECT_TRUE(spectrumFramesForURL(url, 0.05, 16, currentGeneration()).empty());
    }
}

} // namespace
