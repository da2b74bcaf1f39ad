#pragma once

#include <QPixmap>
#include <QString>

// Shows modal alerts. A modal alert runs a nested event loop: timers, finished background
// work and forwarded open requests are handled while it is open, so the caller must check
// afterwards that what it was doing is still current.
class AlertPresenter
{
public:
    struct Alert
    {
        QString messageText;
        QString informativeText;
        QPixmap icon{};  // the warning icon when null
        QString title{}; // the program's name when empty
    };

    virtual ~AlertPresenter() = default;
    // Returns when the user has dismissed the alert with its one button, "OK".
    virtual void runModal(const Alert& alert) = 0;
};
