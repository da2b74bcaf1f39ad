#pragma once

#include <QCoreApplication>
#include <QEvent>

// Counts the paint events of every widget in the application.
class PaintCount : public QObject
{
public:
    PaintCount() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintCount() override { QCoreApplication::instance()->removeEventFilter(this); }

    // The paints since the previous call, once every pending update has been painted: updates
    // are posted events, so this needs no waiting.
    int settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        const int paints = m_paints;
        m_paints = 0;
        return paints;
    }

    // The paints since the previous settle(), without waiting for any.
    int sinceSettled() const { return m_paints; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    int m_paints = 0;
};
