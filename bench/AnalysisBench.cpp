#include "AnalysisBench.h"

#include "BenchFigures.h"
#include "analysis/BassMeterFrames.h"
#include "analysis/Mp3SampleSource.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTags.h"
#include "analysis/WaveformPeaks.h"
#include "audio/WorkQueue.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"

#include <algorithm>
#include <atomic>

namespace {

struct Load
{
    QUrl url;
    double duration = 0.0;
    AnalysisGeneration generation{std::make_shared<AnalysisGeneration::Counter>(1)};
};

// What every analysis does before its own work: open, and read every buffer.
bool decodeOnly(const Load& load)
{
    Mp3SampleSource source(load.url);
    if (!source.open())
        return false;
    std::size_t samples = 0;
    for (auto buffer = source.nextBuffer(); !buffer.empty(); buffer = source.nextBuffer())
        samples += buffer.size();
    return samples > 0;
}

bool waveform(const Load& load)
{
    const std::uint64_t bins = waveformBinCountForDuration(load.duration);
    return waveformPeaksForURL(load.url, bins, load.generation).left.size() == bins;
}

bool bassMeter(const Load& load)
{
    const double frameDuration = bassMeterFrameDurationForDuration(load.duration);
    return !bassMeterFramesForURL(load.url, frameDuration, load.generation).empty();
}

bool spectrum(const Load& load)
{
    const double frameDuration = spectrumFrameDurationForDuration(load.duration);
    return !spectrumFramesForURL(load.url, frameDuration, spectrumBandCount, load.generation)
                .empty();
}

bool title(const Load& load)
{
    return !trackTitle(readTrackTags(load.url).title, load.url).isEmpty();
}

// The four jobs in the order a load starts them, on the lane the player uses.
bool allJobs(const Load& load)
{
    std::atomic<int> succeeded = 0;
    WorkQueue& analyses = WorkQueue::lane(WorkLane::Analyses);
    for (bool (*job)(const Load&) : {title, waveform, bassMeter, spectrum})
        analyses.run([&, job] { succeeded += job(load) ? 1 : 0; });
    analyses.waitForDone();
    return succeeded == 4;
}

} // namespace

void benchAnalysis(const std::filesystem::path& track)
{
    Load load;
    load.url = QUrl::fromLocalFile(QString::fromStdString(track.string()));
    if (const auto decoder = Mp3Decoder::open(load.url.toLocalFile()))
        load.duration = std::max(decoder->duration(), 0.0);

    const double decode = bestSeconds([&] { return decodeOnly(load); });
    printFigure("bare decode 300 s", decode, "s");
    printFigure("title alone", 1000.0 * bestSeconds([&] { return title(load); }), "ms");
    printFigure("waveform peaks alone", bestSeconds([&] { return waveform(load); }), "s");
    printFigure("bass meter frames alone", bestSeconds([&] { return bassMeter(load); }), "s");
    printFigure("spectrum frames alone", bestSeconds([&] { return spectrum(load); }), "s");
    const double together = bestSeconds([&] { return allJobs(load); });
    printFigure("analysis jobs together on the analyses' lane", together, "s");
    printFigure("analysis jobs / decode ratio", together / decode, "");
}
