#pragma once

#include "views/WaveformGeometry.h"

#include <cstdint>
#include <vector>

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QSize>

class QPainter;

// The waveform's peak lines on a grid of whole columns along the track, kept in an image ring a
// little wider than the view and as high as the rows the lines can reach. The lines of a column are
// drawn once, a stretch of columns ahead of the view at a time; a frame then mostly only copies the
// visible columns. The lines are drawn onto the display's background where it is opaque, and the
// copies replace what they cover, so they cost no blending; over a translucent background the ring
// is transparent but for the lines, and the copies blend. Either way, lines that share a column add
// up as they do when drawn straight onto the view.
class WaveformLineCache
{
public:
    // Forgets the drawn columns: the peaks changed.
    void clear() { m_end = m_first; }
    // Draws the lines of `window` over a view of `viewSize` points whose pixels are `ratio`
    // device pixels wide, in the rows of waveformLinesArea() from x 1 to a point short of the
    // right edge, on `background`: where that is opaque, the background there is drawn as well.
    // Only the part within `area` is drawn.
    void draw(QPainter& painter, const QSize& viewSize, qreal ratio, const WaveformWindow& window,
              const QColor& background, const std::vector<float>& left,
              const std::vector<float>& right, const QRegion& area);
    // The pixels per point of the last draw(), 0 before the first.
    qreal ratio() const { return m_ratio; }
    // What draw() covers of a view of `viewSize` points.
    static QRect copiedArea(const QSize& viewSize);

private:
    void drawColumns(std::int64_t first, std::int64_t end, const WaveformWindow& window,
                     const std::vector<float>& left, const std::vector<float>& right);
    void copyColumns(QPainter& painter, const QRect& part, std::int64_t first) const;
    int ringColumns() const;
    int ringX(std::int64_t column) const;
    int pieceLength(std::int64_t column, std::int64_t end) const;

    QImage m_ring;
    QColor m_background;
    QSize m_viewSize;
    QRect m_linesArea;
    qreal m_ratio = 0.0;
    double m_duration = 0.0;
    // The track columns the ring holds, from the first up to, not including, the end.
    std::int64_t m_first = 0;
    std::int64_t m_end = 0;
};
