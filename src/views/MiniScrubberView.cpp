#include "views/MiniScrubberView.h"

#include "views/Limits.h"
#include "views/ScrubberGeometry.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

MiniScrubberView::MiniScrubberView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MiniScrubberView::setValue(double value)
{
    const double previous = m_value;
    m_value = limitedTo(value, 0.0, 1.0);
    // The clock sets the value 60 times a second; on a long track the knob moves a pixel only
    // every second or so.
    if (shownValue(previous) != shownValue(m_value))
        update();
}

// The value on the view's grid of device pixels, where the fill ends and the knob stands: what
// lies between two pixels would show only in a repaint, which the next pixel brings. The ratio
// is the one of the last paint: a new one repaints it all.
double MiniScrubberView::shownValue(double value) const
{
    const double pixels = width() * m_paintedRatio;
    return pixels > 0.0 ? std::round(value * pixels) / pixels : value;
}

void MiniScrubberView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    updateValueWithEvent(event);
}

// Without mouse tracking Qt reports moves only while a button is held: these are the drags.
void MiniScrubberView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    updateValueWithEvent(event);
}

void MiniScrubberView::updateValueWithEvent(QMouseEvent* event)
{
    setValue(scrubberValueForX(event->position().x(), width()));
    m_report.send(this);
}

void MiniScrubberView::paintEvent(QPaintEvent*)
{
    m_paintedRatio = devicePixelRatioF();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const ScrubberShapes shapes = scrubberShapes(size(), shownValue(m_value));
    painter.setBrush(QColor::fromRgbF(0.18f, 0.18f, 0.18f));
    painter.drawRoundedRect(shapes.track, 3.0, 3.0);
    painter.setBrush(QColor::fromRgbF(0.12f, 0.43f, 0.78f, 0.72f));
    painter.drawRoundedRect(shapes.fill, 3.0, 3.0);
    painter.setBrush(QColor::fromRgbF(0.92f, 0.92f, 0.92f));
    painter.drawRoundedRect(shapes.knob, 2.0, 2.0);
}

#include "moc_MiniScrubberView.cpp"
