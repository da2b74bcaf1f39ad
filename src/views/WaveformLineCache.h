#pragma once

#include "views/WaveformGeometry.h"

#include <cstdint>
#include <vector>

#include <QImage>
#include <QSize>

class QPainter;

// The waveform's peak lines on a grid of whole columns along the track, kept in an image ring a
// little wider than the view. The lines of a column are drawn once, when it scrolls into view;
// a frame then only copies the visible columns. The ring is transparent but for the lines, so
// lines that share a column add up as they do when drawn straight onto the view.
class WaveformLineCache
{
public:
    // Forgets the drawn columns: the peaks changed.
    void clear() { m_end = m_first; }
    // Draws the lines of `window` over a view of `viewSize` points whose pixels are `ratio`
    // device pixels wide, the visible columns from x 0.
    void draw(QPainter& painter, const QSize& viewSize, qreal ratio, const WaveformWindow& window,
              const std::vector<float>& left, const std::vector<float>& right);

private:
    void drawColumns(std::int64_t first, std::int64_t end, const WaveformWindow& window,
                     const std::vector<float>& left, const std::vector<float>& right);
    int ringColumns() const;
    int ringX(std::int64_t column) const;
    int pieceLength(std::int64_t column, std::int64_t end) const;

    QImage m_ring;
    QSize m_viewSize;
    qreal m_ratio = 0.0;
    double m_duration = 0.0;
    // The track columns the ring holds, from the first up to, not including, the end.
    std::int64_t m_first = 0;
    std::int64_t m_end = 0;
};
