#include "views/TimeLabel.h"

#include <QEvent>

void TimeLabel::setTime(const QString& text)
{
    setText(text);
    fitText();
}

void TimeLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitText();
}

// A size fixed as both minimum and maximum is one the layout need not ask about again.
void TimeLabel::fitText()
{
    if (const QSize needed = sizeHint(); minimumSize() != needed || maximumSize() != needed)
        setFixedSize(needed);
}
