#include "views/WaveformLineCache.h"

#include <algorithm>

#include <QPainter>

namespace {

// Columns held beyond the view's width: at 60 frames a second the lines of a one-second window
// scroll by a sixtieth of the width, a few columns. The columns ahead of the view are drawn in
// stretches of up to the slack, so that a frame draws new lines only every tenth time or so.
constexpr int ringSlack = 64;
constexpr int drawAhead = 48;
// Columns drawn on either side of a stretch and cut off: the lines of bins beyond a window's
// ends are drawn at its edges, where they must not land in the ring.
constexpr int stretchMargin = 2;

} // namespace

void WaveformLineCache::draw(QPainter& painter, const QSize& viewSize, qreal ratio,
                             const WaveformWindow& window, const QColor& background,
                             const std::vector<float>& left, const std::vector<float>& right,
                             const QRegion& area)
{
    if (viewSize.isEmpty())
        return;
    const QColor ground = background.alpha() == 255 ? background : QColor(Qt::transparent);
    if (viewSize != m_viewSize || ratio != m_ratio || window.duration != m_duration ||
        ground != m_background) {
        m_linesArea = waveformLinesArea(viewSize);
        // Opaque columns copy as plain rows of pixels.
        m_ring = QImage(QSize(viewSize.width() + ringSlack, m_linesArea.height()) * ratio,
                        ground.alpha() == 255 ? QImage::Format_RGB32
                                              : QImage::Format_ARGB32_Premultiplied);
        m_ring.setDevicePixelRatio(ratio);
        m_viewSize = viewSize;
        m_ratio = ratio;
        m_duration = window.duration;
        m_background = ground;
        clear();
    }
    const std::int64_t first = waveformScrollColumn(window, viewSize.width());
    const std::int64_t end = first + viewSize.width();
    if (end <= m_first || first >= m_end)
        m_first = m_end = first;
    if (first < m_first) {
        drawColumns(first, m_first, window, left, right);
        m_first = first;
        m_end = std::min(m_end, first + ringColumns());
    }
    if (end > m_end) {
        const std::int64_t stretchEnd = end + drawAhead;
        drawColumns(m_end, stretchEnd, window, left, right);
        m_end = stretchEnd;
        m_first = std::max(m_first, stretchEnd - ringColumns());
    }
    painter.save();
    if (m_background.alpha() == 255)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Rectangle by rectangle: clipped to a region of several, an image is drawn pixel by pixel.
    const QRegion copied = area & copiedArea(viewSize);
    for (const QRect& part : copied)
        copyColumns(painter, part, first);
    painter.restore();
}

// The ring's pixels of `part` of the view, whose left edge shows the track column `first`.
void WaveformLineCache::copyColumns(QPainter& painter, const QRect& part, std::int64_t first) const
{
    const std::int64_t end = first + part.right() + 1;
    const double ringY = (part.top() - m_linesArea.top()) * m_ratio;
    for (std::int64_t column = first + part.left(); column < end;) {
        const int x = ringX(column);
        const int length = pieceLength(column, end);
        painter.drawImage(
            QRectF(static_cast<double>(column - first), part.top(), length, part.height()), m_ring,
            QRectF(x * m_ratio, ringY, length * m_ratio, part.height() * m_ratio));
        column += length;
    }
}

QRect WaveformLineCache::copiedArea(const QSize& viewSize)
{
    return waveformLinesArea(viewSize).adjusted(1, 0, -1, 0);
}

int WaveformLineCache::ringColumns() const
{
    return m_viewSize.width() + ringSlack;
}

int WaveformLineCache::ringX(std::int64_t column) const
{
    return static_cast<int>(column % ringColumns());
}

// The columns from `column` on, before `end`, that lie side by side in the ring.
int WaveformLineCache::pieceLength(std::int64_t column, std::int64_t end) const
{
    return static_cast<int>(std::min<std::int64_t>(end - column, ringColumns() - ringX(column)));
}

void WaveformLineCache::drawColumns(std::int64_t first, std::int64_t end,
                                    const WaveformWindow& window, const std::vector<float>& left,
                                    const std::vector<float>& right)
{
    QPainter painter(&m_ring);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(
        QPen(QColor::fromRgbF(0.0f, 0.72f, 0.82f, 0.62f), 1.0, Qt::SolidLine, Qt::FlatCap));
    const double secondsPerColumn = window.visibleDuration / m_viewSize.width();
    const int rows = m_linesArea.height();
    for (std::int64_t column = first; column < end;) {
        const int x = ringX(column);
        const int length = pieceLength(column, end);
        painter.setClipRect(QRectF(x, 0, length, rows));
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRectF(x, 0, length, rows), m_background);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

        // The stretch's own window puts its columns on the track's grid.
        const int columns = length + 2 * stretchMargin;
        WaveformWindow stretch = window;
        stretch.visibleStart = static_cast<double>(column - stretchMargin) * secondsPerColumn;
        stretch.visibleDuration = columns * secondsPerColumn;
        stretch.visibleEnd = stretch.visibleStart + stretch.visibleDuration;
        const WaveformStrips strips = waveformStrips(QSizeF(columns, m_viewSize.height()));
        painter.save();
        painter.translate(x - stretchMargin, -m_linesArea.top());
        // One line at a time: where several bins fall on one column the translucent lines add
        // up, so dense passages come out brighter. A batch would be filled as one shape.
        for (const QLineF& line : waveformPeakLines(left, strips.left, stretch))
            painter.drawLine(line);
        for (const QLineF& line : waveformPeakLines(right, strips.right, stretch))
            painter.drawLine(line);
        painter.restore();
        column += length;
    }
}
