#pragma once

#include "analysis/BassMeterFrames.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

// The stereo level meter: two rows of 15 LED segments, "L" above "R", with a hollow marker on
// the held peak. It keeps its own ballistics and is fed a pair of levels on every clock tick.
class LEDMeterView : public QWidget
{
    Q_OBJECT

public:
    explicit LEDMeterView(QWidget* parent = nullptr);

    // Decibels; stored as given, limited to the scale only when drawn. Redraws when a segment
    // or a peak marker changes.
    void setLeftDB(float left, float right);

    float leftDB() const { return m_leftDB; }
    float rightDB() const { return m_rightDB; }
    float displayedLeftDB() const { return m_displayedLeftDB; }
    float displayedRightDB() const { return m_displayedRightDB; }
    float peakHoldLeftDB() const { return m_peakHoldLeftDB; }

    QColor displayBackgroundColor() const { return m_displayBackgroundColor; }
    // Shows at the next redraw; the caller requests it.
    void setDisplayBackgroundColor(const QColor& color);

    // No width of its own: the layout decides it.
    QSize sizeHint() const override { return {-1, 28}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF rowRect(int row) const;
    void renderSegmentStates(qreal ratio);
    void drawMeterRowInRect(QPainter& painter, const QRectF& row, float level, float peakLevel,
                            const QString& label) const;
    static void drawPeakMarker(QPainter& painter, const QRectF& segment);

    float m_leftDB = silenceDecibels;
    float m_rightDB = silenceDecibels;
    float m_displayedLeftDB = silenceDecibels;
    float m_displayedRightDB = silenceDecibels;
    float m_peakHoldLeftDB = silenceDecibels;
    float m_peakHoldRightDB = silenceDecibels;
    QColor m_displayBackgroundColor = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
    // The meter with every segment in one state, [lit][marked] (segment 0 is lit in all of
    // them), rendered at the size, pixel ratio and font they were last drawn at.
    QImage m_stateImages[2][2];
    QFont m_imageFont;
};
