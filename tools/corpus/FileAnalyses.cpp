#include "corpus/FileAnalyses.h"

#include "analysis/AnalysisGeneration.h"
#include "analysis/TrackTags.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"

#include <algorithm>
#include <cmath>

#include <QUrl>

namespace {

constexpr int titleLineLength = 35;

} // namespace

FileAnalyses FileAnalyses::of(const QString& path, double duration)
{
    const QUrl url = QUrl::fromLocalFile(path);
    const AnalysisGeneration current(std::make_shared<AnalysisGeneration::Counter>(0));
    FileAnalyses analyses;
    analyses.bins = waveformBinCountForDuration(duration);
    analyses.peaks = waveformPeaksForURL(url, analyses.bins, current);
    analyses.bass =
        bassMeterFramesForURL(url, bassMeterFrameDurationForDuration(duration), current);
    analyses.spectrum = spectrumFramesForURL(url, spectrumFrameDurationForDuration(duration),
                                             spectrumBandCount, current);
    analyses.title = titleForDisplay(trackTitle(readTrackTags(url, {}).title, url));
    return analyses;
}

bool FileAnalyses::areInRange() const
{
    const auto isPeak = [](float peak) { return peak >= 0.0f && peak <= 1.0f; };
    const auto isLevel = [](const BassMeterFrame& frame) {
        return frame[0] >= -60.0f && frame[1] >= -60.0f && frame[0] < 20.0f && frame[1] < 20.0f;
    };
    const auto isSpectrum = [&](const SpectrumLevels& levels) {
        return levels.size() == spectrumBandCount && std::ranges::all_of(levels, isPeak);
    };
    return peaks.left.size() == bins && peaks.right.size() == bins &&
           std::ranges::all_of(peaks.left, isPeak) && std::ranges::all_of(peaks.right, isPeak) &&
           std::ranges::all_of(bass, isLevel) && std::ranges::all_of(spectrum, isSpectrum) &&
           QStringView(title).isValidUtf16() && title.size() <= titleLineLength;
}

DecodedStream decodeAll(Mp3Decoder& decoder)
{
    const auto channels = static_cast<std::size_t>(decoder.format().channelCount);
    DecodedStream decoded;
    for (auto buffer = decoder.nextBuffer(); !buffer.empty(); buffer = decoder.nextBuffer()) {
        // Buffers hold whole frames: channel 0 comes first in each.
        for (std::size_t i = 0; i < buffer.size(); i += channels)
            decoded.leftPeak = std::max(decoded.leftPeak, std::fabs(buffer[i]));
        decoded.samples += static_cast<std::int64_t>(buffer.size());
    }
    return decoded;
}
