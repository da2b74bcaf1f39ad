#pragma once

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "views/TransportButton.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

inline constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The widget resized to `size` and painted over magenta, which shows where it paints nothing.
inline QImage renderWidget(QWidget& widget, const QSize& size)
{
    widget.resize(size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(255, 0, 255));
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// Turns of the event loop, each delivering the posted layout, resize and move events, until one
// leaves the window's geometry as it was.
inline void settleLayout(const QWidget& window)
{
    for (int turn = 0; turn < 100; ++turn) {
        const QRect before = window.geometry();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (window.geometry() == before)
            return;
    }
}

// Whether no red, green or blue component differs by more than `tolerance` (0…255).
inline ::testing::AssertionResult colorNear(const QColor& actual, const QColor& expected,
                                            int tolerance = 2)
{
    if (std::max({std::abs(actual.red() - expected.red()),
                  std::abs(actual.green() - expected.green()),
                  std::abs(actual.blue() - expected.blue())}) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " is not within "
                                         << tolerance << " of " << expected.name().toStdString();
}

// Sends a mouse event as the window system would deliver it; returns whether it was accepted.
inline bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons held = Qt::LeftButton)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}

// Whether the window's transport key of that type is lit.
inline bool isLit(const QWidget& window, TransportIconType type)
{
    for (const TransportButton* button : window.findChildren<TransportButton*>())
        if (button->iconType() == type)
            return button->isTransportActive();
    return false;
}
