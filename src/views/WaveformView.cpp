#include "views/WaveformView.h"

#include "views/DevicePixels.h"
#include "views/DisplayInterior.h"
#include "views/Limits.h"
#include "views/WaveformGeometry.h"

#include <cmath>
#include <cstdlib>

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// The rows at the top and the bottom that the rounded corners reach into. The lines lie between
// them; only the playhead reaches past them, by two points.
constexpr int cornerRows = 4;

} // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_interior =
        new DisplayInterior(this, cornerRows, [this](QPainter& painter, const QRegion& area) {
            paintBand(painter, area);
        });
}

void WaveformView::setDisplayBackgroundColor(const QColor& color)
{
    m_displayBackgroundColor = color;
    m_interior->setBackgroundOpaque(color.alpha() == 255);
}

void WaveformView::setPeaks(std::vector<float> peaks)
{
    m_leftPeaks = peaks;
    m_rightPeaks = std::move(peaks);
    m_lines.clear();
    m_interior->updateArea(rect());
}

void WaveformView::setLeftPeaks(std::vector<float> peaks)
{
    m_leftPeaks = std::move(peaks);
    m_lines.clear();
    m_interior->updateArea(rect());
}

void WaveformView::setRightPeaks(std::vector<float> peaks)
{
    m_rightPeaks = std::move(peaks);
    m_lines.clear();
    m_interior->updateArea(rect());
}

void WaveformView::setCurrentTime(double time)
{
    const WaveformWindow before = waveformWindow(m_duration, m_currentTime);
    m_currentTime = std::isnan(time) ? 0.0 : std::max(time, 0.0);
    // Without peaks only the background shows, whatever the position. A hidden display is
    // drawn whole when it is shown again.
    if ((m_leftPeaks.empty() && m_rightPeaks.empty()) || !isVisible())
        return;
    const WaveformWindow after = waveformWindow(m_duration, m_currentTime);
    const QRect inside = insetRect(rect(), 1.0, 1.0).toAlignedRect();
    // Mostly the playhead stands in the middle and only the lines scroll, within the band.
    if (waveformPlayheadX(before, width()) != waveformPlayheadX(after, width()))
        m_interior->updateArea(inside);
    else if (const std::int64_t shift =
                 waveformScrollColumn(after, width()) - waveformScrollColumn(before, width());
             shift != 0)
        scrollLines(shift, playheadRect(after));
}

// The lines move left by `shift` columns under a playhead that stands still. The pixels that stay
// are moved, by the X server where it keeps the window's pixels, and only the new columns and the
// playhead are drawn: a frame then sends a few columns instead of the whole strip.
void WaveformView::scrollLines(std::int64_t shift, const QRectF& playhead)
{
    const QRect lines = WaveformLineCache::copiedArea(size());
    // Whole columns are whole device pixels only at a whole ratio; a translucent background
    // is drawn by the display itself, which cannot scroll.
    const qreal ratio = m_lines.ratio();
    if (m_interior->isHidden() || std::abs(shift) >= lines.width() || !isWholeRatio(ratio)) {
        m_interior->updateArea(waveformLinesArea(size()));
        return;
    }
    const int dx = static_cast<int>(-shift);
    m_interior->scroll(dx, 0, lines.translated(-m_interior->pos()));
    const QRect shown = playhead.toAlignedRect() & lines;
    m_interior->updateArea(QRegion(shown) + shown.translated(dx, 0));
}

QRectF WaveformView::playheadRect(const WaveformWindow& window) const
{
    return {waveformPlayheadX(window, width()) - 1.0, 2.0, 2.0, height() - 4.0};
}

void WaveformView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_displayBackgroundColor);
    painter.drawRoundedRect(QRectF(rect()), 4.0, 4.0);
    if (m_leftPeaks.empty() && m_rightPeaks.empty())
        return;

    QPainterPath clip;
    clip.addRoundedRect(insetRect(rect(), 1.0, 1.0), 3.0, 3.0);
    painter.setClipPath(clip);
    drawLinesAndPlayhead(painter, event->region());
}

void WaveformView::paintBand(QPainter& painter, const QRegion& area)
{
    // The band lies clear of the rounded corners, so the frame's clip is not needed. The
    // painter is clipped to the area: one fill covers all its rectangles, and where the lines'
    // opaque copies will lie nothing needs filling first.
    const QRect fill = area.boundingRect();
    if (m_leftPeaks.empty() && m_rightPeaks.empty()) {
        painter.fillRect(fill, m_displayBackgroundColor);
        return;
    }
    // At a fractional ratio the copies' edges cut device pixels, which must hold the ground.
    const QRegion unfilled =
        isWholeRatio(devicePixelRatioF()) ? WaveformLineCache::copiedArea(size()) : QRegion();
    for (const QRect& rect : QRegion(fill.adjusted(-1, -1, 1, 1)) - unfilled)
        painter.fillRect(rect, m_displayBackgroundColor);
    painter.setRenderHint(QPainter::Antialiasing);
    drawLinesAndPlayhead(painter, area);
}

void WaveformView::drawLinesAndPlayhead(QPainter& painter, const QRegion& area)
{
    const WaveformWindow window = waveformWindow(m_duration, m_currentTime);
    m_lines.draw(painter, size(), devicePixelRatioF(), window, m_displayBackgroundColor,
                 m_leftPeaks, m_rightPeaks, area);

    const QRectF playhead = playheadRect(window);
    const QColor color = palette().color(QPalette::Highlight);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // In the middle of a track the playhead stands on whole pixels, which fill fastest as such.
    if (const QRect pixels = playhead.toAlignedRect(); QRectF(pixels) == playhead)
        painter.fillRect(pixels, color);
    else
        painter.fillRect(playhead, color);
}

#include "moc_WaveformView.cpp"
