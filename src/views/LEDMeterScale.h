#pragma once

#include <QColor>
#include <QRectF>

// The LED meter's fixed scale: 15 segments from −20 dB to +6 dB, green up to −1 dB, then one
// amber segment at 0 dB and one red segment at +0.1 dB.
inline constexpr int meterSegmentCount = 15;
inline constexpr float meterMinimumDB = -20.0f;
inline constexpr float meterMaximumDB = 6.0f;

// The level at or above which a segment is lit. The maximum does not enter: the top two
// segments sit at fixed levels and the rest spread evenly from the minimum up to −1 dB.
float decibelsForSegment(int segment, int segmentCount, float minimumDB, float maximumDB);
// The highest segment lit by `level`; 0 when none is (or there are no segments).
int segmentIndexForLevel(float level, int segmentCount, float minimumDB, float maximumDB);
QColor colorForSegment(int segment, int segmentCount, bool active);

// Row geometry, in points of a view of the given height or a row of the given width: two rows
// of 10 points 4 apart, each a label column of 14 points and 15 segments 2 points apart.
double meterRowTop(double viewHeight);
double meterSegmentWidth(double rowWidth);
QRectF meterSegmentRect(const QRectF& row, double segmentWidth, int segment);
