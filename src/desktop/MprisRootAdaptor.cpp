#include "desktop/MprisRootAdaptor.h"

#include "app/AppDelegate.h"
#include "player/PlayerWindowController.h"

#include <QMainWindow>

MprisRootAdaptor::MprisRootAdaptor(QObject* object, AppDelegate& delegate)
    : QDBusAbstractAdaptor(object), m_delegate(delegate)
{}

// Both act once the call has been answered, like the player's methods.
void MprisRootAdaptor::Raise()
{
    QMetaObject::invokeMethod(
        this,
        [delegate = &m_delegate] {
            // A minimized window comes back too: showing it alone would leave it an icon.
            QMainWindow* window = delegate->playerWindow()->window();
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            delegate->playerWindow()->showWindow();
        },
        Qt::QueuedConnection);
}

void MprisRootAdaptor::Quit()
{
    QMetaObject::invokeMethod(
        this, [delegate = &m_delegate] { delegate->quit(); }, Qt::QueuedConnection);
}
