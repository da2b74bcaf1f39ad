#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QLineF>
#include <QRectF>
#include <QSize>

// Where the spectrum analyzer's bars and peak caps lie in a view of width × height points:
// bars 2 points apart from x 0, standing on y = height − 4, a full bar reaching y 4.

double spectrumBarWidth(double viewWidth, std::size_t barCount);
// `level` is limited to 0…1; even silence shows a bar 1 point high.
QRectF spectrumBarRect(std::size_t bar, double barWidth, double viewHeight, double level);
// Green at the bass end (hue 0.34) to orange at the treble end (0.12); a single bar is green.
double spectrumBarHue(std::size_t bar, std::size_t barCount);
// The 1-point cap line of a bar on a pixel row, or nothing for a peak at or below 0.02.
std::optional<QLineF> spectrumPeakCapLine(const QRectF& bar, double viewHeight, double peak);

// A bar and its peak cap as drawn.
struct SpectrumBarShape
{
    QRectF bar;
    std::optional<QLineF> cap;
};

// The bars of a view of `size`, one per level and at least one, each with the cap of its peak
// where there is one; none when the bars would be narrower than 2 points.
std::vector<SpectrumBarShape> spectrumBarShapes(const std::vector<float>& levels,
                                                const std::vector<double>& peaks,
                                                const QSize& size);
