#pragma once

#include <QRectF>
#include <QSizeF>

// The mini scrubber's value and shapes in a view of the given size: a track 1 point inside the
// top and bottom edges, a fill from its left end to the value, and a knob 4 points wide and as
// high as the view, centred on the end of the fill.
struct ScrubberShapes
{
    QRectF track;
    QRectF fill;
    QRectF knob;
};

// The value of a click at `x` points from the left edge, within 0…1; 0 in a view without width.
double scrubberValueForX(double x, double viewWidth);
ScrubberShapes scrubberShapes(const QSizeF& viewSize, double value);
