#include "views/WaveformView.h"

#include "views/Limits.h"
#include "views/WaveformGeometry.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace {

void drawPeakLines(QPainter& painter, const std::vector<QLineF>& lines)
{
    // One line at a time: where several bins fall on one pixel column the translucent lines
    // add up, so dense passages come out brighter. A batch would be filled as one shape.
    for (const QLineF& line : lines)
        painter.drawLine(line);
}

} // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WaveformView::setPeaks(std::vector<float> peaks)
{
    m_peaks = std::move(peaks);
    m_leftPeaks = m_peaks;
    m_rightPeaks = m_peaks;
    update();
}

void WaveformView::setLeftPeaks(std::vector<float> peaks)
{
    m_leftPeaks = std::move(peaks);
    update();
}

void WaveformView::setRightPeaks(std::vector<float> peaks)
{
    m_rightPeaks = std::move(peaks);
    update();
}

void WaveformView::setCurrentTime(double time)
{
    m_currentTime = std::isnan(time) ? 0.0 : std::max(time, 0.0);
    update();
}

void WaveformView::paintEvent(QPaintEvent*)
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

    const WaveformWindow window = waveformWindow(m_duration, m_currentTime);
    const WaveformStrips strips = waveformStrips(size());
    painter.setPen(
        QPen(QColor::fromRgbF(0.0f, 0.72f, 0.82f, 0.62f), 1.0, Qt::SolidLine, Qt::FlatCap));
    drawPeakLines(painter, waveformPeakLines(m_leftPeaks, strips.left, window));
    drawPeakLines(painter, waveformPeakLines(m_rightPeaks, strips.right, window));

    const double playheadX = waveformPlayheadX(window, width());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRectF(playheadX - 1.0, 2.0, 2.0, height() - 4.0),
                     palette().color(QPalette::Highlight));
}
