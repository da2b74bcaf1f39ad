#include "views/TransportIcons.h"

#include <array>

#include <QFontMetricsF>

namespace {

void addRoundedRect(QPainterPath& path, const QPointF& c, double x, double y, double width,
                    double height, double radius)
{
    path.addRoundedRect(QRectF(c.x() + x, c.y() + y, width, height), radius, radius);
}

void addTriangle(QPainterPath& path, const QPointF& c, const std::array<QPointF, 3>& corners)
{
    path.moveTo(c + corners[0]);
    path.lineTo(c + corners[1]);
    path.lineTo(c + corners[2]);
    path.closeSubpath();
}

// Previous (direction −1) and Next (+1) are mirror images: a bar and two triangles.
void addSkip(QPainterPath& path, const QPointF& c, double s)
{
    addRoundedRect(path, c, s < 0 ? -9.0 : 6.0, -7.0, 3.0, 14.0, 1.0);
    addTriangle(path, c, {QPointF(-8.0 * s, -7.0), QPointF(-8.0 * s, 7.0), QPointF(-s, 0.0)});
    addTriangle(path, c, {QPointF(-s, -7.0), QPointF(-s, 7.0), QPointF(6.0 * s, 0.0)});
}

void addPlaylist(QPainterPath& path, const QPointF& c)
{
    for (int row = 0; row < 3; ++row) {
        const double y = -7.0 + 7.0 * row;
        addRoundedRect(path, c, -9.0, y, 3.0, 3.0, 1.5);
        addRoundedRect(path, c, -4.0, y, 13.0, 3.0, 1.0);
    }
}

void addGlyph(QPainterPath& path, const QPointF& c, const QString& glyph, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(glyph);
    const QPointF topLeft(c.x() - width / 2.0, c.y() - metrics.height() / 2.0);
    path.addText(topLeft + QPointF(0.0, metrics.ascent()), font, glyph);
}

bool isLoopIcon(TransportIconType type)
{
    return type == TransportIconType::LoopA || type == TransportIconType::LoopB ||
           type == TransportIconType::LoopClear;
}

} // namespace

QPainterPath transportIconPath(TransportIconType type, const QPointF& c, const QFont& glyphFont)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    switch (type) {
    case TransportIconType::Play:
        addTriangle(path, c, {QPointF(-5, -7), QPointF(-5, 7), QPointF(7, 0)});
        break;
    case TransportIconType::Pause:
        addRoundedRect(path, c, -6.0, -7.0, 4.0, 14.0, 1.0);
        addRoundedRect(path, c, 2.0, -7.0, 4.0, 14.0, 1.0);
        break;
    case TransportIconType::Previous:
        addSkip(path, c, -1.0);
        break;
    case TransportIconType::Next:
        addSkip(path, c, 1.0);
        break;
    case TransportIconType::Playlist:
        addPlaylist(path, c);
        break;
    case TransportIconType::Eject:
        addTriangle(path, c, {QPointF(-7, 2), QPointF(0, -7), QPointF(7, 2)});
        addRoundedRect(path, c, -8.0, 5.0, 16.0, 3.0, 1.0);
        break;
    case TransportIconType::LoopA:
    case TransportIconType::LoopB:
    case TransportIconType::LoopClear:
        addGlyph(path, c, transportLoopGlyph(type), glyphFont);
        break;
    case TransportIconType::Stop:
    default:
        addRoundedRect(path, c, -6.0, -6.0, 12.0, 12.0, 1.5);
        break;
    }
    return path;
}

QPainterPath transportLoopRingPath(TransportIconType type, const QPointF& c)
{
    QPainterPath ring;
    if (!isLoopIcon(type))
        return ring;
    // From 35° to 320°, angles growing from +x towards +y (clockwise on the screen). Qt counts
    // its angles the other way round, hence the negated start and sweep.
    const QRectF circle(c.x() - 10.0, c.y() - 10.0, 20.0, 20.0);
    ring.arcMoveTo(circle, -35.0);
    ring.arcTo(circle, -35.0, -285.0);
    return ring;
}

QString transportLoopGlyph(TransportIconType type)
{
    switch (type) {
    case TransportIconType::LoopA:
        return QStringLiteral("A");
    case TransportIconType::LoopB:
        return QStringLiteral("B");
    case TransportIconType::LoopClear:
        return QString(QChar(0x00D7));
    default:
        return {};
    }
}
