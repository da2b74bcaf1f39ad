#pragma once

#include "views/SpectrumGeometry.h"

#include <vector>

#include <QColor>
#include <QWidget>

class DisplayInterior;

// The spectrum analyzer: one vertical bar per band, green at the bass end to orange at the
// treble end, each with a thin peak cap that it lets fall itself.
class SpectrumAnalyzerView : public QWidget
{
    Q_OBJECT

public:
    explicit SpectrumAnalyzerView(QWidget* parent = nullptr);

    // Band levels 0…1, lowest band first; moves the caps one update on and redraws the bars and
    // caps that move by a pixel.
    void setSpectrumLevels(const std::vector<float>& levels);

    const std::vector<float>& levels() const { return m_levels; }

    QColor displayBackgroundColor() const { return m_displayBackgroundColor; }
    // Shows at the next redraw; the caller requests it.
    void setDisplayBackgroundColor(const QColor& color);

    // No width of its own: the layout decides it.
    QSize sizeHint() const override { return {-1, 84}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The bars and caps of the lists at the view's size, kept from one update to the next.
    const std::vector<SpectrumBarShape>& shapes();
    void drawBars(QPainter& painter, const QRegion& area);

    std::vector<float> m_levels = std::vector<float>(16, 0.0f);
    std::vector<double> m_peakHoldLevels = std::vector<double>(16, 0.0);
    QColor m_displayBackgroundColor = QColor::fromRgbF(0.07f, 0.07f, 0.07f);
    std::vector<SpectrumBarShape> m_shapes;
    QSize m_shapesSize;
    // The ratio of the last whole paint, which a new ratio brings: asking for it looks up the
    // screen, too slow for every update.
    qreal m_paintedRatio = 1.0;
    // The band the bars and caps move in, repainted on its own.
    DisplayInterior* m_interior = nullptr;
};
