#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the windows go so that they stay on the screen: every window that Kassolin places or
// resizes keeps the position it would have whenever it fits, and is moved in by as little as
// it takes otherwise. A window larger than the area keeps its top-left corner in it, so that
// its title bar stays reachable.

// The top-left corner that moves `frame` into `area`.
QPoint positionInside(const QRect& frame, const QRect& area);

// The queue window's frame: centred under the player's frame, `gap` below it; above it when
// it does not fit below; otherwise at the area's lower edge. Always inside `area`.
QPoint positionNextTo(const QRect& playerFrame, const QSize& frame, int gap, const QRect& area);
