#pragma once

#include <limits>
#include <vector>

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

inline constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// What shows where a widget leaves its bounds unpainted.
inline const QColor renderUnderlay = QColor(255, 0, 255);

// The widget resized to `size` and painted into an image at device pixel ratio `ratio` over
// `renderUnderlay`, without its parent's background.
QImage renderWidget(QWidget& widget, const QSize& size, qreal ratio = 1.0);

struct PaletteRendering
{
    const char* name;
    QPalette palette;
    QImage image;
};
// The widget rendered in a light and in a dark palette whose roles differ, so that a pixel shows
// which role painted it.
std::vector<PaletteRendering> renderInBothPalettes(QWidget& widget, const QSize& size);

// `top` composited source-over onto the opaque `bottom`.
QColor over(const QColor& top, const QColor& bottom);
// Whether no red, green or blue component differs by more than `tolerance` (0…255).
::testing::AssertionResult colorNear(const QColor& actual, const QColor& expected,
                                     int tolerance = 2);

// Sends a mouse event as the window system would deliver it; returns whether it was accepted.
bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position,
               Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton);
