#include "views/DisplayInterior.h"

#include "views/DevicePixels.h"

#include <algorithm>

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

DisplayInterior::DisplayInterior(QWidget* display, int inset, Paint paint)
    : QWidget(display), m_inset(inset), m_paint(std::move(paint))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The display keeps its mouse: nothing here takes a click.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    display->installEventFilter(this);
    fitDisplay();
}

void DisplayInterior::updateArea(const QRegion& given)
{
    const QRegion area = devicePixelCover(given, devicePixelRatioF()) & parentWidget()->rect();
    if (isHidden()) {
        parentWidget()->update(area);
        return;
    }
    if (const QRegion inBand = area & band(); !inBand.isEmpty())
        update(inBand.translated(-pos()));
    if (const QRegion outside = area - band(); !outside.isEmpty())
        parentWidget()->update(outside);
}

void DisplayInterior::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.translate(-pos());
    m_paint(painter, event->region().translated(pos()));
}

bool DisplayInterior::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        fitDisplay();
    return QWidget::eventFilter(watched, event);
}

void DisplayInterior::fitDisplay()
{
    const QWidget* display = parentWidget();
    setGeometry(0, m_inset, display->width(), std::max(display->height() - 2 * m_inset, 0));
}
