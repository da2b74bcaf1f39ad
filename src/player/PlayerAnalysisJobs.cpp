// The controller's background analyses and the feed of their frames to the displays.
//
// A load starts four jobs on the analysis queue. Each carries the generation of its load;
// the decoding stops once that generation is superseded, and the result is applied on the main
// thread only while it is still current. The controller does not wait for its jobs when it
// goes, as a job may wait on a disk that does not answer: a job posts its result only while the
// controller lives, and a result still queued when it goes is discarded with it.
#include "player/PlayerWindowController.h"

#include "analysis/AnalysisGeneration.h"
#include "analysis/BassMeterFrames.h"
#include "analysis/FrameLookup.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTags.h"
#include "analysis/WaveformPeaks.h"
#include "audio/WorkQueue.h"
#include "decoder/TrackTitles.h"
#include "views/ElidedLabel.h"
#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The nice value of a thread that analyses: it yields to the window and the sound feed.
constexpr int analysisNiceness = 10;

// Decoding a whole track four times over would otherwise take the cores from a launch and the
// window's frames on a machine with few of them. Linux keeps a nice value per thread; the queue's
// threads do background work only, so they keep it.
void yieldToInteractiveThreads()
{
    thread_local const int lowered =
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), analysisNiceness);
    static_cast<void>(lowered);
}

// A whole track's decoding leaves freed blocks in the thread's arena; the player runs for hours,
// so they go back to the system now. glibc sets its allocator up on first use, and not safely
// from two threads at once; under the sanitizers, whose allocators stand in for malloc, a trim
// is that first use. One trim at a time, then.
void returnFreedMemory()
{
    static std::mutex trimming;
    const std::lock_guard lock(trimming);
    malloc_trim(0);
}

} // namespace

template <typename Result>
void PlayerWindowController::runAnalysisJob(std::uint64_t generation,
                                            std::function<Result(const AnalysisGeneration&)> work,
                                            std::function<void(Result)> apply)
{
    const AnalysisGeneration current(m_analysisGeneration, generation);
    WorkQueue::lane(WorkLane::Analyses).run([=, jobs = m_analysisJobs.inbox()] {
        yieldToInteractiveThreads();
        Result result = work(current);
        returnFreedMemory();
        jobs->post([=] {
            if (current.isCurrent())
                apply(result);
        });
    });
}

bool PlayerWindowController::isAnalysisGenerationCurrent(std::uint64_t generation) const
{
    return *m_analysisGeneration == generation;
}

void PlayerWindowController::analyzeTitleForURL(const QUrl& url, std::uint64_t generation)
{
    runAnalysisJob<TrackTags>(
        generation, [url](const AnalysisGeneration&) { return readTrackTags(url); },
        [this, url](const TrackTags& tags) {
            m_trackTags = tags;
            m_titleLabel->setText(titleForDisplay(trackTitle(tags.title, url)));
            Q_EMIT stateChanged();
        });
}

void PlayerWindowController::analyzeWaveformForURL(const QUrl& url, double duration,
                                                   std::uint64_t generation)
{
    runAnalysisJob<WaveformPeaks>(
        generation,
        [url, duration](const AnalysisGeneration& current) {
            return waveformPeaksForURL(url, waveformBinCountForDuration(duration), current);
        },
        [this](const WaveformPeaks& peaks) {
            m_waveformView->setLeftPeaks(peaks.left);
            m_waveformView->setRightPeaks(peaks.right);
        });
}

void PlayerWindowController::analyzeBassMeterForURL(const QUrl& url, double frameDuration,
                                                    std::uint64_t generation)
{
    runAnalysisJob<BassMeterFrames>(
        generation,
        [url, frameDuration](const AnalysisGeneration& current) {
            return bassMeterFramesForURL(url, frameDuration, current);
        },
        [this](BassMeterFrames frames) { setBassMeterFrames(std::move(frames)); });
}

void PlayerWindowController::analyzeSpectrumForURL(const QUrl& url, double frameDuration,
                                                   std::uint64_t generation)
{
    runAnalysisJob<SpectrumFrames>(
        generation,
        [url, frameDuration](const AnalysisGeneration& current) {
            return spectrumFramesForURL(url, frameDuration, spectrumBandCount, current);
        },
        [this](SpectrumFrames frames) {
            setSpectrumFrames(std::move(frames));
            updateSpectrumForTime(m_player ? m_player->currentTime() : 0.0);
        });
}

void PlayerWindowController::setBassMeterFrames(BassMeterFrames frames)
{
    m_bassMeterFrames = std::move(frames);
}

void PlayerWindowController::setSpectrumFrames(SpectrumFrames frames)
{
    m_spectrumFrames = std::move(frames);
}

void PlayerWindowController::updateMeters()
{
    if (m_meterView->isHidden())
        return;
    if (!m_player || !m_player->isPlaying() || m_bassMeterFrames.empty() ||
        !(m_bassMeterFrameDuration > 0.0)) {
        m_meterView->setLeftDB(silenceDecibels, silenceDecibels);
        return;
    }
    const BassMeterFrame& frame = m_bassMeterFrames[frameIndexForTime(
        m_player->currentTime(), m_bassMeterFrameDuration, m_bassMeterFrames.size())];
    m_meterView->setLeftDB(frame[0], frame[1]);
}

void PlayerWindowController::updateSpectrumForTime(double time)
{
    if (m_spectrumView->isHidden())
        return;
    if (m_spectrumFrames.empty() || !(m_spectrumFrameDuration > 0.0)) {
        m_spectrumView->setSpectrumLevels(emptySpectrumLevels());
        return;
    }
    m_spectrumView->setSpectrumLevels(m_spectrumFrames[frameIndexForTime(
        time, m_spectrumFrameDuration, m_spectrumFrames.size())]);
}
