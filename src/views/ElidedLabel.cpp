#include "views/ElidedLabel.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ElidedLabel::sizeHint() const
{
    return {QLabel::sizeHint().width(), lineHeight()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, lineHeight()};
}

int ElidedLabel::lineHeight() const
{
    // An empty label would ask for the font's rounded height, a laid-out line for its full
    // ascent and descent, which may be a pixel more.
    const QMargins margins = contentsMargins();
    return static_cast<int>(std::ceil(QFontMetricsF(font()).height())) + margins.top() +
           margins.bottom() + 2 * margin();
}

QString ElidedLabel::displayedText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), displayedText(), foregroundRole());
}

#include "moc_ElidedLabel.cpp"
