#include "views/SpectrumAnalyzerView.h"

#include "views/SpectrumGeometry.h"
#include "views/SpectrumPeakHold.h"

#include <algorithm>

#include <QPainter>

SpectrumAnalyzerView::SpectrumAnalyzerView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SpectrumAnalyzerView::setSpectrumLevels(const std::vector<float>& levels)
{
    m_levels = levels;
    m_peakHoldLevels = peakHoldLevelsFrom(m_peakHoldLevels, m_levels);
    update();
}

void SpectrumAnalyzerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_displayBackgroundColor);
    painter.drawRoundedRect(QRectF(rect()), 4.0, 4.0);

    const std::size_t barCount = std::max<std::size_t>(m_levels.size(), 1);
    const double barWidth = spectrumBarWidth(width(), barCount);
    if (barWidth < 2.0)
        return;
    const QPen capPen(QColor::fromRgbF(0.92f, 0.98f, 0.72f, 0.82f), 1.0, Qt::SolidLine,
                      Qt::FlatCap);
    for (std::size_t bar = 0; bar < barCount; ++bar) {
        const double level = bar < m_levels.size() ? m_levels[bar] : 0.0;
        const QRectF barRect = spectrumBarRect(bar, barWidth, height(), level);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsvF(static_cast<float>(spectrumBarHue(bar, barCount)), 0.64f,
                                          0.82f, 0.82f));
        painter.drawRoundedRect(barRect, 1.5, 1.5);
        if (bar >= m_peakHoldLevels.size())
            continue;
        if (const auto cap = spectrumPeakCapLine(barRect, height(), m_peakHoldLevels[bar])) {
            painter.setPen(capPen);
            painter.drawLine(*cap);
        }
    }
}
