#include "desktop/MprisRootAdaptor.h"

MprisRootAdaptor::MprisRootAdaptor(QObject* object, PlayerInterface& player,
                                   const MprisRequests& requests)
    : QDBusAbstractAdaptor(object), m_player(player), m_requests(requests)
{}

// Both act once the call has been answered, like the player's methods.
void MprisRootAdaptor::Raise()
{
    QMetaObject::invokeMethod(
        this, [player = &m_player] { player->raiseWindow(); }, Qt::QueuedConnection);
}

void MprisRootAdaptor::Quit()
{
    QMetaObject::invokeMethod(
        this, [this] { m_requests.quit(); }, Qt::QueuedConnection);
}

#include "moc_MprisRootAdaptor.cpp"
