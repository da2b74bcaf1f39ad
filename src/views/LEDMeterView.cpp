#include "views/LEDMeterView.h"

#include "views/DevicePixels.h"
#include "views/LEDMeterBallistics.h"
#include "views/LEDMeterScale.h"
#include "views/Limits.h"

#include <algorithm>

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

// What a row shows: the highest lit segment and the segment of the peak marker, −1 for none.
struct RowPicture
{
    int topLitSegment;
    int peakSegment;

    bool operator==(const RowPicture&) const = default;
};

QString rowLabel(int row)
{
    return row == 0 ? QStringLiteral("L") : QStringLiteral("R");
}

RowPicture rowPicture(float level, float peakLevel)
{
    // Limited to the scale, the level lights segment 0 even in silence.
    const auto onScale = [](float value) {
        return segmentIndexForLevel(
            static_cast<float>(limitedTo(value, meterMinimumDB, meterMaximumDB)), meterSegmentCount,
            meterMinimumDB, meterMaximumDB);
    };
    return {onScale(level), peakLevel > peakMarkerFloorDB ? onScale(peakLevel) : -1};
}

// The segments of a row that look different in two pictures: from the lower to the higher top
// lit segment, and the old and the new peak marker.
QRectF changedSegments(const QRectF& row, double segmentWidth, const RowPicture& a,
                       const RowPicture& b)
{
    const auto segment = [&](int index) { return meterSegmentRect(row, segmentWidth, index); };
    QRectF area;
    if (a.topLitSegment != b.topLitSegment)
        area = segment(std::min(a.topLitSegment, b.topLitSegment) + 1)
                   .united(segment(std::max(a.topLitSegment, b.topLitSegment)));
    if (a.peakSegment == b.peakSegment)
        return area;
    for (const int peak : {a.peakSegment, b.peakSegment}) {
        if (peak >= 0)
            area |= segment(peak);
    }
    return area;
}

} // namespace

LEDMeterView::LEDMeterView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setDisplayBackgroundColor(m_displayBackgroundColor);
}

void LEDMeterView::setDisplayBackgroundColor(const QColor& color)
{
    m_displayBackgroundColor = color;
    m_stateImages[0][0] = QImage();
    // An opaque fill covers every pixel: what lies behind need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, color.alpha() == 255);
}

void LEDMeterView::setLeftDB(float left, float right)
{
    const RowPicture leftBefore = rowPicture(m_displayedLeftDB, m_peakHoldLeftDB);
    const RowPicture rightBefore = rowPicture(m_displayedRightDB, m_peakHoldRightDB);
    m_leftDB = left;
    m_rightDB = right;
    m_displayedLeftDB = smoothedLevelFrom(m_displayedLeftDB, left);
    m_displayedRightDB = smoothedLevelFrom(m_displayedRightDB, right);
    m_peakHoldLeftDB = peakHoldLevelFrom(m_peakHoldLeftDB, left);
    m_peakHoldRightDB = peakHoldLevelFrom(m_peakHoldRightDB, right);
    // Fed 60 times a second, the meter mostly lights the same segments again, and otherwise
    // a few; one rectangle around them is redrawn, which the state images fill fastest.
    const double segmentWidth = meterSegmentWidth(width());
    if (segmentWidth < 2.0)
        return;
    const QRectF changed = changedSegments(rowRect(0), segmentWidth, leftBefore,
                                           rowPicture(m_displayedLeftDB, m_peakHoldLeftDB)) |
                           changedSegments(rowRect(1), segmentWidth, rightBefore,
                                           rowPicture(m_displayedRightDB, m_peakHoldRightDB));
    if (!changed.isEmpty())
        update(devicePixelCover(changed, devicePixelRatioF()));
}

void LEDMeterView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_displayBackgroundColor.alpha() < 255) {
        // Copies of translucent pixels would not add up as the drawing does.
        painter.fillRect(rect(), m_displayBackgroundColor);
        drawMeterRowInRect(painter, rowRect(0), m_displayedLeftDB, m_peakHoldLeftDB, rowLabel(0));
        drawMeterRowInRect(painter, rowRect(1), m_displayedRightDB, m_peakHoldRightDB, rowLabel(1));
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (m_stateImages[0][0].size() != size() * ratio || m_imageFont != font())
        renderSegmentStates(ratio);
    // Every segment is copied from the image of its state: the picture that drawing the
    // segments gives, at the cost of a few copies.
    painter.drawImage(QPointF(0, 0), m_stateImages[0][0]);
    const double segmentWidth = meterSegmentWidth(width());
    if (segmentWidth < 2.0)
        return;
    const auto copy = [&](const QRectF& area, bool lit, bool marked) {
        painter.drawImage(area, m_stateImages[lit][marked],
                          QRectF(area.topLeft() * ratio, area.size() * ratio));
    };
    const float levels[2][2] = {{m_displayedLeftDB, m_peakHoldLeftDB},
                                {m_displayedRightDB, m_peakHoldRightDB}};
    for (int row = 0; row < 2; ++row) {
        const RowPicture picture = rowPicture(levels[row][0], levels[row][1]);
        copy(meterSegmentRect(rowRect(row), segmentWidth, 0)
                 .united(meterSegmentRect(rowRect(row), segmentWidth, picture.topLitSegment)),
             true, false);
        if (picture.peakSegment >= 0)
            copy(meterSegmentRect(rowRect(row), segmentWidth, picture.peakSegment),
                 picture.peakSegment <= picture.topLitSegment, true);
    }
}

QRectF LEDMeterView::rowRect(int row) const
{
    return {0, meterRowTop(height()) + row * rowPitch, static_cast<double>(width()), rowHeight};
}

void LEDMeterView::renderSegmentStates(qreal ratio)
{
    m_imageFont = font();
    const double segmentWidth = meterSegmentWidth(width());
    for (const bool lit : {false, true}) {
        for (const bool marked : {false, true}) {
            QImage& image = m_stateImages[lit][marked];
            // Opaque, as the background is here: the copies are plain rows of pixels.
            image = QImage(size() * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillRect(rect(), m_displayBackgroundColor);
            for (int row = 0; row < 2; ++row) {
                // Segment 0 is lit at every level, silence included.
                drawMeterRowInRect(painter, rowRect(row), lit ? meterMaximumDB : meterMinimumDB,
                                   meterMinimumDB, rowLabel(row));
                for (int segment = 0; marked && segmentWidth >= 2.0 && segment < meterSegmentCount;
                     ++segment)
                    drawPeakMarker(painter, meterSegmentRect(rowRect(row), segmentWidth, segment));
            }
        }
    }
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
    const RowPicture picture = rowPicture(level, peakLevel);

    for (int segment = 0; segment < meterSegmentCount; ++segment) {
        const QRectF segmentRect = meterSegmentRect(row, segmentWidth, segment);
        painter.setPen(Qt::NoPen);
        painter.setBrush(
            colorForSegment(segment, meterSegmentCount, segment <= picture.topLitSegment));
        painter.drawRoundedRect(segmentRect, 1.5, 1.5);
        if (segment == picture.peakSegment)
            drawPeakMarker(painter, segmentRect);
    }
}

void LEDMeterView::drawPeakMarker(QPainter& painter, const QRectF& segment)
{
    painter.setPen(QPen(QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.86f), 1.0, Qt::SolidLine,
                        Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(segment.adjusted(1, 1, -1, -1), 1.0, 1.0);
}

#include "moc_LEDMeterView.cpp"
