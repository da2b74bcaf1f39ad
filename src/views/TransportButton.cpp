#include "views/TransportButton.h"

#include "views/Limits.h"
#include "views/TransportIcons.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

QFont glyphFont(QFont font)
{
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

// What a screen reader calls the button, the names of the menus' items where they do the same.
QString accessibleNameOf(TransportIconType type)
{
    switch (type) {
    case TransportIconType::Play:
        return QStringLiteral("Wiedergabe");
    case TransportIconType::Pause:
        return QStringLiteral("Pause");
    case TransportIconType::Previous:
        return QStringLiteral("Zurück");
    case TransportIconType::Next:
        return QStringLiteral("Weiter");
    case TransportIconType::Playlist:
        return QStringLiteral("Warteschlange");
    case TransportIconType::Eject:
        return QStringLiteral("Auswerfen");
    case TransportIconType::LoopA:
        return QStringLiteral("A-Punkt setzen");
    case TransportIconType::LoopB:
        return QStringLiteral("B-Punkt setzen");
    case TransportIconType::LoopClear:
        return QStringLiteral("A/B-Loop löschen");
    case TransportIconType::Stop:
        break;
    }
    return QStringLiteral("Stopp");
}

} // namespace

TransportButton::TransportButton(TransportIconType iconType, QObject* target,
                                 const QByteArray& action, QWidget* parent)
    : QPushButton(parent), m_iconType(iconType)
{
    m_report.setTarget(target);
    m_report.setAction(action);
    setFixedSize(34, 28);
    setIconType(iconType);
    // A click leaves no focus behind, where Space would press the same button again.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QPushButton::clicked, this, [this] { m_report.send(this); });
}

void TransportButton::setIconType(TransportIconType iconType)
{
    m_iconType = iconType;
    setAccessibleName(accessibleNameOf(iconType));
}

bool TransportButton::isToggle() const
{
    return m_iconType == TransportIconType::LoopA || m_iconType == TransportIconType::LoopB ||
           m_iconType == TransportIconType::LoopClear;
}

void TransportButton::setTransportActive(bool active)
{
    m_transportActive = active;
    update();
}

QColor TransportButton::iconColor() const
{
    if (m_vintageDesign) {
        if (m_transportActive)
            return QColor::fromRgbF(0.74f, 0.94f, 0.96f);
        if (!isEnabled())
            return QColor::fromRgbF(0.34f, 0.34f, 0.34f);
        return QColor::fromRgbF(0.68f, 0.63f, 0.54f);
    }
    // The lit state wins even over a disabled button, so it takes the active colours.
    if (m_transportActive)
        return palette().color(QPalette::Active, QPalette::HighlightedText);
    if (!isEnabled())
        return palette().color(QPalette::Disabled, QPalette::WindowText);
    return palette().color(QPalette::WindowText);
}

void TransportButton::paintEvent(QPaintEvent* event)
{
    if (!m_vintageDesign && !m_transportActive)
        QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_vintageDesign) {
        drawVintageKey(painter);
    } else if (m_transportActive) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Active, QPalette::Highlight));
        painter.drawRoundedRect(insetRect(rect(), 1.0, 1.0), 5.0, 5.0);
    }
    drawIcon(painter);
}

void TransportButton::drawVintageKey(QPainter& painter) const
{
    const QRectF key = insetRect(rect(), 1.0, 1.0);
    QLinearGradient gradient(key.topLeft(), key.bottomLeft());
    gradient.setColorAt(0.0, m_transportActive ? QColor::fromRgbF(0.14f, 0.21f, 0.22f)
                                               : QColor::fromRgbF(0.2f, 0.2f, 0.2f));
    gradient.setColorAt(1.0, m_transportActive ? QColor::fromRgbF(0.035f, 0.046f, 0.047f)
                                               : QColor::fromRgbF(0.075f, 0.075f, 0.075f));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(key, 4.0, 4.0);
    if (!key.isEmpty()) {
        painter.setPen(QPen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.55f), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(key, 4.0, 4.0);
    }
    if (m_transportActive) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(0.0f, 0.62f, 0.70f, 0.22f));
        painter.drawRoundedRect(insetRect(rect(), 3.0, 3.0), 3.0, 3.0);
    }
}

void TransportButton::drawIcon(QPainter& painter) const
{
    const QPointF centre = QRectF(rect()).center();
    const QColor color = iconColor();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(transportIconPath(m_iconType, centre, glyphFont(font())));
    const QPainterPath ring = transportLoopRingPath(m_iconType, centre);
    if (ring.isEmpty())
        return;
    painter.setPen(QPen(color, transportLoopRingWidth, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(ring);
}

#include "moc_TransportButton.cpp"
