#include "views/SpectrumAnalyzerView.h"

#include "views/SpectrumGeometry.h"
#include "views/SpectrumPeakHold.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QPaintEvent>
#include <QPainter>

namespace {

// A bar and its peak cap as drawn.
struct BarShape
{
    QRectF bar;
    std::optional<QLineF> cap;
};

// Whether two shapes light the same device pixels, near enough: the top of the bar and the row
// of the cap.
bool samePixels(const BarShape& a, const BarShape& b, qreal ratio)
{
    const auto row = [ratio](double y) { return std::round(y * ratio); };
    return row(a.bar.top()) == row(b.bar.top()) && a.cap.has_value() == b.cap.has_value() &&
           (!a.cap || row(a.cap->y1()) == row(b.cap->y1()));
}

// The whole height of a bar's columns: all that a new level or peak can change.
QRect barColumn(const BarShape& shape, int viewHeight)
{
    return QRectF(shape.bar.left(), 0, shape.bar.width(), viewHeight).toAlignedRect();
}

// The bars of a view of `size`, one per level and at least one, each with the cap of its peak
// where there is one; none when the bars would be narrower than 2 points.
std::vector<BarShape> barShapes(const std::vector<float>& levels, const std::vector<double>& peaks,
                                const QSize& size)
{
    std::vector<BarShape> shapes;
    const std::size_t barCount = std::max<std::size_t>(levels.size(), 1);
    const double barWidth = spectrumBarWidth(size.width(), barCount);
    if (barWidth < 2.0)
        return shapes;
    for (std::size_t bar = 0; bar < barCount; ++bar) {
        const double level = bar < levels.size() ? levels[bar] : 0.0;
        BarShape shape{spectrumBarRect(bar, barWidth, size.height(), level), std::nullopt};
        if (bar < peaks.size())
            shape.cap = spectrumPeakCapLine(shape.bar, size.height(), peaks[bar]);
        shapes.push_back(shape);
    }
    return shapes;
}

} // namespace

SpectrumAnalyzerView::SpectrumAnalyzerView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SpectrumAnalyzerView::setSpectrumLevels(const std::vector<float>& levels)
{
    const std::vector<BarShape> before = barShapes(m_levels, m_peakHoldLevels, size());
    m_levels = levels;
    m_peakHoldLevels = peakHoldLevelsFrom(m_peakHoldLevels, m_levels);
    const std::vector<BarShape> after = barShapes(m_levels, m_peakHoldLevels, size());
    if (before.size() != after.size()) {
        update();
        return;
    }
    // Fed 60 times a second, many bars and caps stay on the pixels they lit: only the span of
    // columns from the first to the last that moves is redrawn, one rectangle for the window
    // system to take.
    QRect changed;
    for (std::size_t bar = 0; bar < after.size(); ++bar) {
        if (!samePixels(before[bar], after[bar], devicePixelRatioF()))
            changed |= barColumn(after[bar], height());
    }
    if (!changed.isEmpty())
        update(changed);
}

void SpectrumAnalyzerView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_displayBackgroundColor);
    painter.drawRoundedRect(QRectF(rect()), 4.0, 4.0);

    const std::vector<BarShape> bars = barShapes(m_levels, m_peakHoldLevels, size());
    const QColor capColor = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.82f);
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        if (!event->rect().intersects(barColumn(bars[bar], height())))
            continue;
        painter.setBrush(QColor::fromHsvF(static_cast<float>(spectrumBarHue(bar, bars.size())),
                                          0.64f, 0.82f, 0.82f));
        painter.drawRoundedRect(bars[bar].bar, 1.5, 1.5);
        // The cap is a line of width 1 on a pixel row between whole columns: filling that
        // row lights the same pixels, several times faster than stroking it.
        if (const std::optional<QLineF>& cap = bars[bar].cap)
            painter.fillRect(QRectF(cap->x1(), cap->y1() - 0.5, cap->dx(), 1.0), capColor);
    }
}
