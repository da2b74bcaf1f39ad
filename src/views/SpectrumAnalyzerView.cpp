#include "views/SpectrumAnalyzerView.h"

#include "views/DevicePixels.h"
#include "views/DisplayInterior.h"
#include "views/SpectrumGeometry.h"
#include "views/SpectrumPeakHold.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include <QPaintEvent>
#include <QPainter>

namespace {

// The rows at the top and the bottom that the rounded corners reach into; bars and caps stay
// between them, in a view tall enough for its margins.
constexpr int cornerRows = 4;

constexpr double barRadius = 1.5;

// The row a cap lights: whole pixels, filled faster than a line is stroked or a rectangle of
// fractions is filled.
QRect capRect(const QLineF& cap)
{
    return QRectF(cap.x1(), cap.y1() - 0.5, cap.dx(), 1.0).toAlignedRect();
}

// What changes on screen when a bar goes from `a` to `b`: the rows from the higher to the lower
// top and through the rounded corners below it (down to the bottom for a bar too low for its
// corners), and the rows of the old and the new cap, in the device pixels they touch. A top that
// moves by a fraction of a pixel changes how much of its row it covers, so any move counts.
QRect changedArea(const SpectrumBarShape& a, const SpectrumBarShape& b, qreal ratio)
{
    QRectF area;
    if (a.bar != b.bar) {
        const double top = std::min(a.bar.top(), b.bar.top());
        double end = std::max(a.bar.top(), b.bar.top()) + barRadius;
        if (end > b.bar.bottom() - barRadius)
            end = b.bar.bottom();
        area = QRectF(b.bar.left(), top, b.bar.width(), end - top);
    }
    if (a.cap != b.cap) {
        for (const SpectrumBarShape* shape : {&a, &b}) {
            if (shape->cap)
                area |= QRectF(capRect(*shape->cap));
        }
    }
    return devicePixelCover(area, ratio);
}

} // namespace

SpectrumAnalyzerView::SpectrumAnalyzerView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_interior =
        new DisplayInterior(this, cornerRows, [this](QPainter& painter, const QRegion& area) {
            // The painter is clipped to the area: one fill covers all its rectangles, and the
            // device pixels that their edges cut at a fractional ratio.
            painter.fillRect(area.boundingRect().adjusted(-1, -1, 1, 1), m_displayBackgroundColor);
            drawBars(painter, area);
        });
}

void SpectrumAnalyzerView::setDisplayBackgroundColor(const QColor& color)
{
    m_displayBackgroundColor = color;
    m_interior->setBackgroundOpaque(color.alpha() == 255);
}

const std::vector<SpectrumBarShape>& SpectrumAnalyzerView::shapes()
{
    if (m_shapes.empty() || m_shapesSize != size()) {
        m_shapes = spectrumBarShapes(m_levels, m_peakHoldLevels, size());
        m_shapesSize = size();
    }
    return m_shapes;
}

void SpectrumAnalyzerView::setSpectrumLevels(const std::vector<float>& levels)
{
    shapes();
    const std::vector<SpectrumBarShape> before = std::exchange(m_shapes, {});
    m_levels = levels;
    m_peakHoldLevels = peakHoldLevelsFrom(m_peakHoldLevels, m_levels);
    const std::vector<SpectrumBarShape>& after = shapes();
    if (before.size() != after.size()) {
        m_interior->updateArea(rect());
        return;
    }
    // Fed 60 times a second, many bars and caps stay on the pixels they lit, and the caps of
    // the others mostly fall by a row: only the rows that change are redrawn.
    QRegion changed;
    for (std::size_t bar = 0; bar < after.size(); ++bar) {
        if (const QRect area = changedArea(before[bar], after[bar], m_paintedRatio);
            !area.isEmpty())
            changed += area;
    }
    if (!changed.isEmpty())
        m_interior->updateArea(changed);
}

void SpectrumAnalyzerView::paintEvent(QPaintEvent* event)
{
    m_paintedRatio = devicePixelRatioF();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_displayBackgroundColor);
    painter.drawRoundedRect(QRectF(rect()), 4.0, 4.0);
    drawBars(painter, event->region());
}

void SpectrumAnalyzerView::drawBars(QPainter& painter, const QRegion& area)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const std::vector<SpectrumBarShape>& bars = shapes();
    const QColor capColor = QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.82f);
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        // A pixel more on every side: at a fractional ratio the area's device pixels reach
        // into the next logical one.
        if (area.intersects(bars[bar].bar.toAlignedRect().adjusted(-1, -1, 1, 1))) {
            painter.setBrush(QColor::fromHsvF(static_cast<float>(spectrumBarHue(bar, bars.size())),
                                              0.64f, 0.82f, 0.82f));
            painter.drawRoundedRect(bars[bar].bar, barRadius, barRadius);
        }
        // The cap is a line of width 1 on a pixel row between whole columns: filling that
        // row lights the same pixels.
        if (const std::optional<QLineF>& cap = bars[bar].cap; cap) {
            if (const QRect row = capRect(*cap); area.intersects(row.adjusted(-1, -1, 1, 1)))
                painter.fillRect(row, capColor);
        }
    }
}

#include "moc_SpectrumAnalyzerView.cpp"
