#include "player/WindowPlacement.h"

#include <algorithm>

namespace {

int keptInside(int start, int length, int areaStart, int areaLength)
{
    // Past the far edge first, so that a window larger than the area ends at its near edge.
    return std::max(std::min(start, areaStart + areaLength - length), areaStart);
}

} // namespace

QPoint positionInside(const QRect& frame, const QRect& area)
{
    return {keptInside(frame.x(), frame.width(), area.x(), area.width()),
            keptInside(frame.y(), frame.height(), area.y(), area.height())};
}

QPoint positionNextTo(const QRect& playerFrame, const QSize& frame, int gap, const QRect& area)
{
    const int x = playerFrame.x() + playerFrame.width() / 2 - frame.width() / 2;
    const int below = playerFrame.y() + playerFrame.height() + gap;
    const int above = playerFrame.y() - gap - frame.height();
    int y = below;
    if (below + frame.height() > area.y() + area.height() && above >= area.y())
        y = above;
    return positionInside(QRect(QPoint(x, y), frame), area);
}
