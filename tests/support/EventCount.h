#pragma once

#include <QCoreApplication>
#include <QEvent>

// Counts the events of one type (paints unless told) to every object in the application.
class EventCount : public QObject
{
public:
    explicit EventCount(QEvent::Type type = QEvent::Paint) : m_type(type)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~EventCount() override { QCoreApplication::instance()->removeEventFilter(this); }

    // The events since the previous call, once every pending one has been handled: updates
    // and layout requests are posted events, so this needs no waiting.
    int settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        const int events = m_events;
        m_events = 0;
        return events;
    }

    // The events since the previous settle(), without waiting for any.
    int sinceSettled() const { return m_events; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_events += event->type() == m_type ? 1 : 0;
        return false;
    }

private:
    const QEvent::Type m_type;
    int m_events = 0;
};
