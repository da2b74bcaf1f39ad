#pragma once

#include "views/TransportIconType.h"

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

// The transport buttons' vector icons, centred on `centre`, in points with y downwards.

// What is filled in the icon colour: the shapes, or for the loop icons their glyph set in
// `glyphFont` and centred on `centre` by its advance and line height.
QPainterPath transportIconPath(TransportIconType type, const QPointF& centre,
                               const QFont& glyphFont);
// The loop icons' ring, open on the right, to be stroked 1.6 points wide in the icon colour;
// empty for every other icon.
QPainterPath transportLoopRingPath(TransportIconType type, const QPointF& centre);
// "A", "B" or "×" for the loop icons, empty otherwise.
QString transportLoopGlyph(TransportIconType type);

inline constexpr double transportLoopRingWidth = 1.6;
