#pragma once

#include <cstdint>
#include <vector>

#include <QLineF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

// The second of audio that the waveform shows around the play position, in seconds. The
// window stops at the track's ends, where the playhead moves towards the edge instead.
struct WaveformWindow
{
    double duration = 1.0; // at least one second, so a short track spreads over the width
    double time = 0.0;     // the play position, within 0…duration
    double visibleStart = 0.0;
    double visibleEnd = 1.0;
    double visibleDuration = 1.0;
};

struct WaveformStrips
{
    QRectF left;
    QRectF right;
};

WaveformWindow waveformWindow(double duration, double currentTime);
// Two strips, left channel above right: margins of 4 above and between, 6 below, and never
// lower than 4 points, so a very low view clips them rather than inverting them.
WaveformStrips waveformStrips(const QSizeF& viewSize);
// The whole rows from the top of the left strip to the bottom of the right one, across the
// view: all that the lines can reach.
QRect waveformLinesArea(const QSize& viewSize);
double waveformPlayheadX(const WaveformWindow& window, double viewWidth);
// The column of the track at the view's left edge, the window's length spanning the view's
// width: the lines scroll by whole columns, each bin on the column of its centre.
std::int64_t waveformScrollColumn(const WaveformWindow& window, double viewWidth);
// One vertical line per bin that touches the window, in bin order, on pixel centres. `peaks`
// holds equal bins covering the whole track; values are limited to 0…1, and 0 still gives a
// line 1 point long. The strip's own x is not added: strips span the whole view.
std::vector<QLineF> waveformPeakLines(const std::vector<float>& peaks, const QRectF& strip,
                                      const WaveformWindow& window);
