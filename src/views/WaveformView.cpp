#include "views/WaveformView.h"

#include "views/Limits.h"
#include "views/WaveformGeometry.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>

WaveformView::WaveformView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WaveformView::setPeaks(std::vector<float> peaks)
{
    m_peaks = std::move(peaks);
    m_leftPeaks = m_peaks;
    m_rightPeaks = m_peaks;
    m_lines.clear();
    update();
}

void WaveformView::setLeftPeaks(std::vector<float> peaks)
{
    m_leftPeaks = std::move(peaks);
    m_lines.clear();
    update();
}

void WaveformView::setRightPeaks(std::vector<float> peaks)
{
    m_rightPeaks = std::move(peaks);
    m_lines.clear();
    update();
}

void WaveformView::setCurrentTime(double time)
{
    const WaveformWindow before = waveformWindow(m_duration, m_currentTime);
    m_currentTime = std::isnan(time) ? 0.0 : std::max(time, 0.0);
    // Without peaks only the background shows, whatever the position.
    if (m_leftPeaks.empty() && m_rightPeaks.empty())
        return;
    if (!showsSamePosition(before, waveformWindow(m_duration, m_currentTime)))
        update(insetRect(rect(), 1.0, 1.0).toAlignedRect());
}

bool WaveformView::showsSamePosition(const WaveformWindow& a, const WaveformWindow& b) const
{
    return waveformScrollColumn(a, width()) == waveformScrollColumn(b, width()) &&
           waveformPlayheadX(a, width()) == waveformPlayheadX(b, width());
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
    m_lines.draw(painter, size(), devicePixelRatioF(), window, m_leftPeaks, m_rightPeaks);

    const double playheadX = waveformPlayheadX(window, width());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRectF(playheadX - 1.0, 2.0, 2.0, height() - 4.0),
                     palette().color(QPalette::Highlight));
}
