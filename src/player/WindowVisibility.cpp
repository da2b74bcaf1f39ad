#include "player/WindowVisibility.h"

#include <memory>

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

WindowVisibility::WindowVisibility(QWindow& window, QObject* parent) : QObject(parent)
{
    m_window = static_cast<std::uint32_t>(window.winId());
    if (watchOnX11())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowVisibility::~WindowVisibility()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Adds the visibility changes to the events Qt asked the X server for.
bool WindowVisibility::watchOnX11()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, m_window),
                                        nullptr),
        &std::free);
    if (!attributes)
        return false;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection, m_window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    return true;
}

bool WindowVisibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    const bool covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    if (visibility->window == m_window && covered != m_covered) {
        m_covered = covered;
        Q_EMIT coveredChanged(covered);
    }
    return false;
}

#include "moc_WindowVisibility.cpp"
