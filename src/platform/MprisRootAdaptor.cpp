#include "platform/MprisRootAdaptor.h"

#include "app/AppDelegate.h"
#include "player/PlayerWindowController.h"

MprisRootAdaptor::MprisRootAdaptor(QObject* object, AppDelegate& delegate)
    : QDBusAbstractAdaptor(object), m_delegate(delegate)
{}

// Both act once the call has been answered, like the player's methods.
void MprisRootAdaptor::Raise()
{
    QMetaObject::invokeMethod(
        this, [delegate = &m_delegate] { delegate->playerWindow()->showWindow(); },
        Qt::QueuedConnection);
}

void MprisRootAdaptor::Quit()
{
    QMetaObject::invokeMethod(
        this, [delegate = &m_delegate] { delegate->quit(); }, Qt::QueuedConnection);
}
