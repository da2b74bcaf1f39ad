#pragma once

#include <functional>
#include <limits>
#include <ostream>
#include <vector>

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

inline constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// A light and a dark palette whose roles all differ, so a pixel shows which role painted it.
QPalette lightPalette();
QPalette darkPalette();

struct NamedPalette
{
    const char* name;
    QPalette (*make)();
};
inline const NamedPalette bothPalettes[] = {{"Light", lightPalette}, {"Dark", darkPalette}};

// What shows where a widget leaves its bounds unpainted.
inline const QColor renderUnderlay = QColor(255, 0, 255);

// The widget resized to `size` and painted into an image at device pixel ratio 1 (or `ratio`)
// over `renderUnderlay`, without its parent's background.
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
// The largest difference of the red, green and blue components, 0…255.
int colorDistance(const QColor& a, const QColor& b);
::testing::AssertionResult colorNear(const QColor& actual, const QColor& expected,
                                     int tolerance = 2);
// Whether `actual` lies nearer to `expected` than to `other`: for antialiased thin lines.
::testing::AssertionResult colorCloserTo(const QColor& actual, const QColor& expected,
                                         const QColor& other);

// Sends a mouse event as the window system would deliver it; returns whether it was accepted.
bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position,
               Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton);

// The paint events that the widget, shown and settled, receives while `change` runs and the
// event loop catches up: whether a setter requests a redraw.
int paintEventsDuring(QWidget& widget, const std::function<void()>& change);

void PrintTo(const QColor& color, std::ostream* out);
