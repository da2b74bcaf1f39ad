#include "support/SoundTest.h"

#include "support/TrackLoading.h"

#include <algorithm>
#include <cmath>

#include <QProcess>

QUrl SoundTest::mp3(const char* name, const Pcm& pcm, const Mp3Options& options)
{
    return QUrl::fromLocalFile(files.writeMp3(QString::fromUtf8(name), pcm, options));
}

void SoundTest::playThrough(const QList<QUrl>& tracks, const MonitorRecorder* monitor,
                            const std::function<void()>& whilePlaying)
{
    ASSERT_TRUE(loadAndOpen(controller, tracks, 0, true));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            whilePlaying();
            return controller.playlistIndex() == tracks.size() - 1 && !controller.isTimerRunning();
        },
        15000));
    if (!monitor)
        return;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<float> peaks = windowPeaks(monitor->recorded());
            return peaks.size() > 10 &&
                   std::all_of(peaks.end() - 10, peaks.end(), [](float p) { return p < 1e-3f; });
        },
        5000));
}

Pcm afterLeadIn(const Pcm& signal)
{
    Pcm track = silence(signal.sampleRate, signal.channels, signal.sampleRate / 2);
    track.samples.insert(track.samples.end(), signal.samples.begin(), signal.samples.end());
    return track;
}

std::vector<float> windowPeaks(const std::vector<float>& stereo)
{
    constexpr std::size_t windowFrames = 441;
    std::vector<float> peaks;
    for (std::size_t start = 0; start + 2 * windowFrames <= stereo.size();
         start += 2 * windowFrames) {
        float peak = 0.0f;
        for (std::size_t i = start; i < start + 2 * windowFrames; i += 2)
            peak = std::max(peak, std::abs(stereo[i]));
        peaks.push_back(peak);
    }
    return peaks;
}

std::pair<std::vector<float>, std::size_t> audiblePart(const std::vector<float>& stereo)
{
    const auto loud = [](float sample) { return std::abs(sample) >= 0.001f; };
    const auto first = std::find_if(stereo.begin(), stereo.end(), loud) - stereo.begin();
    const auto end = stereo.rend() - std::find_if(stereo.rbegin(), stereo.rend(), loud);
    std::vector<float> left;
    std::size_t gap = 0;
    std::size_t longestGap = 0;
    for (auto i = first / 2 * 2; i + 1 < end; i += 2) {
        gap = loud(stereo[i]) || loud(stereo[i + 1]) ? 0 : gap + 1;
        longestGap = std::max(longestGap, gap);
        left.push_back(stereo[i]);
    }
    return {left, longestGap};
}

QString sinkInputs()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
    pactl.waitForFinished();
    return QString::fromUtf8(pactl.readAllStandardOutput());
}
