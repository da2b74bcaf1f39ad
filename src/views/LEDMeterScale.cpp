#include "views/LEDMeterScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double labelColumnWidth = 14.0;
constexpr double segmentGap = 2.0;

} // namespace

float decibelsForSegment(int segment, int segmentCount, float minimumDB, float)
{
    if (segment == segmentCount - 1)
        return 0.1f;
    if (segment == segmentCount - 2)
        return 0.0f;
    const float share = segmentCount >= 4
                            ? static_cast<float>(segment) / static_cast<float>(segmentCount - 3)
                            : 1.0f;
    return minimumDB + (-1.0f - minimumDB) * share;
}

int segmentIndexForLevel(float level, int segmentCount, float minimumDB, float maximumDB)
{
    for (int segment = segmentCount - 1; segment > 0; --segment) {
        if (decibelsForSegment(segment, segmentCount, minimumDB, maximumDB) <= level)
            return segment;
    }
    return 0;
}

QColor colorForSegment(int segment, int segmentCount, bool active)
{
    const double alpha = active ? 0.84 : 0.14;
    if (segment == segmentCount - 1)
        return QColor::fromRgbF(0.92f, 0.22f, 0.18f, alpha);
    if (segment == segmentCount - 2)
        return QColor::fromRgbF(0.96f, 0.70f, 0.20f, alpha);
    return QColor::fromRgbF(0.18f, 0.72f, 0.32f, alpha);
}

double meterRowTop(double viewHeight)
{
    return std::max(2.0, std::floor((viewHeight - 24.0) / 2.0));
}

double meterSegmentWidth(double rowWidth)
{
    const double gaps = segmentGap * (meterSegmentCount - 1);
    return std::floor((rowWidth - labelColumnWidth - gaps) / meterSegmentCount);
}

QRectF meterSegmentRect(const QRectF& row, double segmentWidth, int segment)
{
    const double x = row.x() + labelColumnWidth + segment * (segmentWidth + segmentGap);
    return {x, row.y(), segmentWidth, row.height()};
}
