#include "views/ScrubberGeometry.h"

#include "views/Limits.h"

double scrubberValueForX(double x, double viewWidth)
{
    if (!(viewWidth > 0.0))
        return 0.0;
    return limitedTo(x / viewWidth, 0.0, 1.0);
}

ScrubberShapes scrubberShapes(const QSizeF& viewSize, double value)
{
    const double fillWidth = limitedTo(value, 0.0, 1.0) * viewSize.width();
    const QRectF track = insetRect(QRectF(QPointF(0, 0), viewSize), 0.0, 1.0);
    return {track, QRectF(0, 1, fillWidth, track.height()),
            QRectF(fillWidth - 2.0, 0, 4.0, viewSize.height())};
}
