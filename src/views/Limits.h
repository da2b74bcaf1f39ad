#pragma once

#include <algorithm>
#include <cmath>

#include <QRectF>

// `value` limited to low…high, max first and then min, so that crossed bounds (a view narrower
// than its margins) give `high` instead of undefined behaviour. A value that is not a number
// counts as `low`: every display treats a missing measurement as the bottom of its scale.
inline double limitedTo(double value, double low, double high)
{
    if (std::isnan(value))
        return low;
    return std::min(std::max(value, low), high);
}

// `rect` shrunk by `dx` and `dy` on every side; a rectangle too small for that becomes empty,
// never inverted (an inverted one would be normalised and drawn where it does not belong).
inline QRectF insetRect(const QRectF& rect, double dx, double dy)
{
    return {rect.x() + dx, rect.y() + dy, std::max(rect.width() - 2.0 * dx, 0.0),
            std::max(rect.height() - 2.0 * dy, 0.0)};
}
