#include "views/WaveformGeometry.h"

#include "views/Limits.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double stripTop = 4.0;
constexpr double stripGap = 4.0;
constexpr double minimumStripHeight = 4.0;

// The bins worth testing against the window: a margin of one on either side keeps the exact
// per-bin test in charge at the window's ends, whatever the rounding of this estimate.
std::pair<std::size_t, std::size_t> candidateBins(std::size_t count, const WaveformWindow& window)
{
    const auto bins = static_cast<double>(count);
    const double binsPerSecond = bins / window.duration;
    const double first =
        limitedTo(std::floor(window.visibleStart * binsPerSecond) - 1.0, 0.0, bins);
    const double last = limitedTo(std::ceil(window.visibleEnd * binsPerSecond) + 2.0, 0.0, bins);
    return {static_cast<std::size_t>(first), static_cast<std::size_t>(last)};
}

} // namespace

WaveformWindow waveformWindow(double duration, double currentTime)
{
    WaveformWindow window;
    // An unknown, infinite or sub-second length draws as one second.
    window.duration = std::isfinite(duration) ? std::max(duration, 1.0) : 1.0;
    window.time = limitedTo(currentTime, 0.0, window.duration);
    window.visibleStart = limitedTo(window.time - 0.5, 0.0, window.duration - 1.0);
    window.visibleDuration = 1.0;
    window.visibleEnd = window.visibleStart + window.visibleDuration;
    return window;
}

WaveformStrips waveformStrips(const QSizeF& viewSize)
{
    const double stripHeight = std::max((viewSize.height() - 10.0 - 4.0) * 0.5, minimumStripHeight);
    return {QRectF(0, stripTop, viewSize.width(), stripHeight),
            QRectF(0, stripTop + stripHeight + stripGap, viewSize.width(), stripHeight)};
}

QRect waveformLinesArea(const QSize& viewSize)
{
    const WaveformStrips strips = waveformStrips(QSizeF(viewSize));
    const auto top = static_cast<int>(std::floor(strips.left.top()));
    const auto bottom = static_cast<int>(std::ceil(strips.right.bottom()));
    return {0, top, viewSize.width(), bottom - top};
}

double waveformPlayheadX(const WaveformWindow& window, double viewWidth)
{
    const double x = (window.time - window.visibleStart) / window.visibleDuration * viewWidth;
    return limitedTo(x, 2.0, viewWidth - 2.0);
}

std::int64_t waveformScrollColumn(const WaveformWindow& window, double viewWidth)
{
    // Far beyond any track, and safe to convert.
    constexpr double lastColumn = 1e15;
    const double column = window.visibleStart / window.visibleDuration * viewWidth;
    return std::llround(limitedTo(column, 0.0, lastColumn));
}

std::vector<QLineF> waveformPeakLines(const std::vector<float>& peaks, const QRectF& strip,
                                      const WaveformWindow& window)
{
    std::vector<QLineF> lines;
    if (peaks.empty())
        return lines;
    const auto bins = static_cast<double>(peaks.size());
    const double centreY = strip.y() + strip.height() * 0.5;
    const double amplitudeScale = std::max(strip.height() - 2.0, 1.0);
    const auto [first, last] = candidateBins(peaks.size(), window);
    lines.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        const double binEnd = static_cast<double>(i + 1) / bins * window.duration;
        const double binStart = static_cast<double>(i) / bins * window.duration;
        if (window.visibleStart > binEnd || binStart > window.visibleEnd)
            continue;
        const double length = std::max(limitedTo(peaks[i], 0.0, 1.0) * amplitudeScale, 1.0);
        const double binCentre = binStart + (binEnd - binStart) * 0.5;
        const double x = (binCentre - window.visibleStart) / window.visibleDuration * strip.width();
        const double pixelCentre = std::round(limitedTo(x, 1.0, strip.width() - 1.0)) + 0.5;
        lines.emplace_back(pixelCentre, centreY - length / 2.0, pixelCentre,
                           centreY + length / 2.0);
    }
    return lines;
}
