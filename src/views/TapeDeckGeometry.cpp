#include "views/TapeDeckGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double spokeAngle = 2.0943951023931953; // 2π/3

constexpr std::array<TapeDeckKey, 6> panelKeys{{
    {0.055, 0.125, "ejectButtonPressed", "Auswerfen"},
    {0.245, 0.335, "previousButtonPressed", "Zurück"},
    {0.42, 0.505, "stopButtonPressed", "Stopp"},
    {0.505, 0.59, "vintagePlayPausePressed", "Wiedergabe/Pause"},
    {0.59, 0.675, "nextButtonPressed", "Weiter"},
    {0.675, 0.755, "playlistButtonPressed", "Warteschlange"},
}};

} // namespace

QPointF tapeDeckViewPoint(const QSizeF& viewSize, const QPointF& designPoint)
{
    return {designPoint.x() * viewSize.width() / tapeDeckDesignWidth,
            designPoint.y() * viewSize.height() / tapeDeckDesignHeight};
}

double tapeDeckViewLength(const QSizeF& viewSize, double designLength)
{
    return designLength * std::min(viewSize.width() / tapeDeckDesignWidth,
                                   viewSize.height() / tapeDeckDesignHeight);
}

ReelGeometry reelGeometry(const QSizeF& viewSize, const QPointF& designPoint, double designRadius,
                          double rotation)
{
    ReelGeometry reel;
    reel.centre = tapeDeckViewPoint(viewSize, designPoint);
    reel.radius = tapeDeckViewLength(viewSize, designRadius);
    // An angle that is not finite would put the spokes at coordinates no painter can take.
    if (!std::isfinite(rotation))
        rotation = 0.0;
    const double inner = 0.28 * reel.radius;
    const double outer = 0.86 * reel.radius;
    for (std::size_t k = 0; k < reel.spokes.size(); ++k) {
        const double angle = rotation + static_cast<double>(k) * spokeAngle;
        const QPointF direction(std::cos(angle), std::sin(angle));
        reel.spokes[k] = QLineF(reel.centre + inner * direction, reel.centre + outer * direction);
    }
    reel.hubRadius = 0.12 * reel.radius;
    return reel;
}

std::span<const TapeDeckKey> tapeDeckKeys()
{
    return panelKeys;
}

QRectF tapeDeckKeyRect(const QSizeF& viewSize, const TapeDeckKey& key)
{
    return QRectF(QPointF(key.left * viewSize.width(), tapeDeckKeyBandTop * viewSize.height()),
                  QPointF(key.right * viewSize.width(), viewSize.height()));
}

const char* tapeDeckKeyActionAt(double fx, double fy)
{
    if (!(fy >= tapeDeckKeyBandTop))
        return nullptr;
    for (const TapeDeckKey& key : panelKeys) {
        if (fx >= key.left && fx <= key.right)
            return key.action;
    }
    return nullptr;
}
