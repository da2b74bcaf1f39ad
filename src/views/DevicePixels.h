#pragma once

#include <cmath>

#include <QRect>
#include <QRectF>
#include <QRegion>

// Whether logical pixels are whole device pixels at `ratio` device pixels per logical one.
inline bool isWholeRatio(double ratio)
{
    return ratio >= 1.0 && ratio == std::floor(ratio);
}

// The device pixels that `area`, in logical pixels, touches at `ratio` device pixels per
// logical one.
inline QRect touchedDevicePixels(const QRectF& area, double ratio)
{
    return QRectF(QPointF(std::floor(area.left() * ratio), std::floor(area.top() * ratio)),
                  QPointF(std::ceil(area.right() * ratio), std::ceil(area.bottom() * ratio)))
        .toRect();
}

// The rectangle, in whole logical pixels, whose repaint redraws every device pixel that `area`
// touches. At a fractional ratio a logical pixel ends inside a device pixel, and Qt rounds the
// ends of an updated rectangle to the nearest device pixel, which may cut off one that is partly
// covered: a logical pixel more on each side keeps it.
inline QRect devicePixelCover(const QRectF& area, double ratio)
{
    if (area.isEmpty() || !(ratio > 0.0))
        return {};
    const QRectF device = touchedDevicePixels(area, ratio);
    const QRect cover = QRectF(device.topLeft() / ratio, device.size() / ratio).toAlignedRect();
    return isWholeRatio(ratio) ? cover : cover.adjusted(-1, -1, 1, 1);
}

// The same for every rectangle of `area`; at a whole ratio, `area` itself.
inline QRegion devicePixelCover(const QRegion& area, double ratio)
{
    if (isWholeRatio(ratio))
        return area;
    QRegion cover;
    for (const QRect& rect : area)
        cover += devicePixelCover(QRectF(rect), ratio);
    return cover;
}
