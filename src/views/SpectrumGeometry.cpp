#include "views/SpectrumGeometry.h"

#include "views/Limits.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double barGap = 2.0;
constexpr double topMargin = 4.0;
constexpr double bottomMargin = 4.0;
constexpr double peakCapFloor = 0.02;

double usableHeight(double viewHeight)
{
    return viewHeight - topMargin - bottomMargin;
}

} // namespace

double spectrumBarWidth(double viewWidth, std::size_t barCount)
{
    const auto bars = static_cast<double>(std::max<std::size_t>(barCount, 1));
    return std::floor((viewWidth - barGap * (bars - 1.0)) / bars);
}

QRectF spectrumBarRect(std::size_t bar, double barWidth, double viewHeight, double level)
{
    const double height = std::max(1.0, limitedTo(level, 0.0, 1.0) * usableHeight(viewHeight));
    const double x = static_cast<double>(bar) * (barWidth + barGap);
    return {x, viewHeight - bottomMargin - height, barWidth, height};
}

double spectrumBarHue(std::size_t bar, std::size_t barCount)
{
    if (barCount < 2)
        return 0.34;
    return 0.34 - 0.22 * static_cast<double>(bar) / static_cast<double>(barCount - 1);
}

std::optional<QLineF> spectrumPeakCapLine(const QRectF& bar, double viewHeight, double peak)
{
    peak = limitedTo(peak, 0.0, 1.0);
    if (peak <= peakCapFloor)
        return std::nullopt;
    // std::round takes halves away from zero; the half point puts the line on a pixel row.
    const double y = std::round(viewHeight - bottomMargin - peak * usableHeight(viewHeight)) + 0.5;
    return QLineF(bar.left() + 1.0, y, bar.left() + bar.width() - 1.0, y);
}

std::vector<SpectrumBarShape> spectrumBarShapes(const std::vector<float>& levels,
                                                const std::vector<double>& peaks, const QSize& size)
{
    std::vector<SpectrumBarShape> shapes;
    const std::size_t barCount = std::max<std::size_t>(levels.size(), 1);
    const double barWidth = spectrumBarWidth(size.width(), barCount);
    if (barWidth < 2.0)
        return shapes;
    shapes.reserve(barCount);
    for (std::size_t bar = 0; bar < barCount; ++bar) {
        const double level = bar < levels.size() ? levels[bar] : 0.0;
        SpectrumBarShape shape{spectrumBarRect(bar, barWidth, size.height(), level), std::nullopt};
        if (bar < peaks.size())
            shape.cap = spectrumPeakCapLine(shape.bar, size.height(), peaks[bar]);
        shapes.push_back(shape);
    }
    return shapes;
}
