#pragma once

#include <array>
#include <span>

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// The vintage panel is designed at 836 × 471 points, origin top left, y downwards. A design
// point scales with the view's width and height separately; a design length (a radius) with the
// smaller of the two factors, so the reels stay round.
inline constexpr double tapeDeckDesignWidth = 836.0;
inline constexpr double tapeDeckDesignHeight = 471.0;
// The keys painted on the panel sit below this fraction of its height.
inline constexpr double tapeDeckKeyBandTop = 0.84;

struct ReelGeometry
{
    QPointF centre;
    double radius = 0.0;
    // Three spokes 120° apart from 0.28 to 0.86 of the radius, the first at the rotation.
    std::array<QLineF, 3> spokes;
    double hubRadius = 0.0;
};

QPointF tapeDeckViewPoint(const QSizeF& viewSize, const QPointF& designPoint);
double tapeDeckViewLength(const QSizeF& viewSize, double designLength);
// `rotation` in radians; a growing angle turns clockwise on the screen, one that is not finite
// counts as 0.
ReelGeometry reelGeometry(const QSizeF& viewSize, const QPointF& designPoint, double designRadius,
                          double rotation);

// A key painted on the panel: its left and right edge as fractions of the view's width, the
// slot of the controller it works and its German name.
struct TapeDeckKey
{
    double left;
    double right;
    const char* action;
    const char* name;
};

// From left to right.
std::span<const TapeDeckKey> tapeDeckKeys();
// Where the key lies in a view of that size: from the key band's top to the bottom.
QRectF tapeDeckKeyRect(const QSizeF& viewSize, const TapeDeckKey& key);

// The slot name of the controller that the key at the fractions (fx, fy) of the view's width and
// height works, or nullptr outside the keys. A boundary shared by two keys belongs to the left.
const char* tapeDeckKeyActionAt(double fx, double fy);
