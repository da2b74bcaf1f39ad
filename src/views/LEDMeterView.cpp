#include "views/LEDMeterView.h"

#include "views/LEDMeterBallistics.h"
#include "views/LEDMeterScale.h"
#include "views/Limits.h"

#include <QPainter>

namespace {

constexpr double rowHeight = 10.0;
constexpr double rowPitch = 14.0;
// The marker shows only a peak that has risen clearly above the bottom of the scale.
constexpr float peakMarkerFloorDB = -19.9f;

QFont labelFont(QFont font)
{
    font.setPixelSize(9);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

LEDMeterView::LEDMeterView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LEDMeterView::setLeftDB(float left, float right)
{
    m_leftDB = left;
    m_rightDB = right;
    m_displayedLeftDB = smoothedLevelFrom(m_displayedLeftDB, left);
    m_displayedRightDB = smoothedLevelFrom(m_displayedRightDB, right);
    m_peakHoldLeftDB = peakHoldLevelFrom(m_peakHoldLeftDB, left);
    m_peakHoldRightDB = peakHoldLevelFrom(m_peakHoldRightDB, right);
    update();
}

void LEDMeterView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), m_displayBackgroundColor);
    const double top = meterRowTop(height());
    drawMeterRowInRect(painter, QRectF(0, top, width(), rowHeight), m_displayedLeftDB,
                       m_peakHoldLeftDB, QStringLiteral("L"));
    drawMeterRowInRect(painter, QRectF(0, top + rowPitch, width(), rowHeight), m_displayedRightDB,
                       m_peakHoldRightDB, QStringLiteral("R"));
}

void LEDMeterView::drawMeterRowInRect(QPainter& painter, const QRectF& row, float level,
                                      float peakLevel, const QString& label) const
{
    painter.setFont(labelFont(font()));
    painter.setPen(QColor::fromRgbF(0.82f, 0.82f, 0.82f));
    painter.drawText(QRectF(row.x(), row.y() - 1.0, row.width(), row.height() + 2.0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, label);

    const double segmentWidth = meterSegmentWidth(row.width());
    if (segmentWidth < 2.0)
        return;
    const auto limitedLevel = static_cast<float>(limitedTo(level, meterMinimumDB, meterMaximumDB));
    const auto limitedPeak =
        static_cast<float>(limitedTo(peakLevel, meterMinimumDB, meterMaximumDB));
    const int peakSegment =
        segmentIndexForLevel(limitedPeak, meterSegmentCount, meterMinimumDB, meterMaximumDB);

    QPen markerPen(QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.86f), 1.0, Qt::SolidLine, Qt::FlatCap,
                   Qt::MiterJoin);
    for (int segment = 0; segment < meterSegmentCount; ++segment) {
        const QRectF segmentRect = meterSegmentRect(row, segmentWidth, segment);
        const bool lit = limitedLevel >= decibelsForSegment(segment, meterSegmentCount,
                                                            meterMinimumDB, meterMaximumDB);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colorForSegment(segment, meterSegmentCount, lit));
        painter.drawRoundedRect(segmentRect, 1.5, 1.5);
        if (peakLevel > peakMarkerFloorDB && segment == peakSegment) {
            painter.setPen(markerPen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(segmentRect.adjusted(1, 1, -1, -1), 1.0, 1.0);
        }
    }
}
