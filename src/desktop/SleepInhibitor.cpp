#include "desktop/SleepInhibitor.h"

#include "desktop/DesktopPortal.h"
#include "player/PlayerInterface.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {


// Between two tracks the player stops for a moment: a release waits this long, so that the
// inhibition is kept through a track change.
constexpr int releaseDelay = 500; // milliseconds

// How long the quit waits for the portal to take the release, so that it is sent before the
// program ends, without holding up the quit where the bus is slow.
constexpr int releaseAtQuitTimeout = 250; // milliseconds

// The portal names the request after the caller and its token, so the request can be closed
// before its answer arrives.
QString requestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return desktopPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

} // namespace

SleepInhibitor::SleepInhibitor(PlayerInterface& player, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_player(player), m_bus(std::move(bus))
{
    m_releaseDelay.setSingleShot(true);
    m_releaseDelay.setInterval(releaseDelay);
    connect(&m_releaseDelay, &QTimer::timeout, this, [this] { release(); });
    connect(&player, &PlayerInterface::stateChanged, this, &SleepInhibitor::playerChanged);
    playerChanged();
}

SleepInhibitor::~SleepInhibitor()
{
    release(releaseAtQuitTimeout);
}

// The player reports often and at times when nothing changed: only a change of the play state
// asks the portal.
void SleepInhibitor::playerChanged()
{
    const bool playing = m_player.isPlaying();
    if (playing == m_playing)
        return;
    m_playing = playing;
    if (!playing)
        m_releaseDelay.start();
    else if (m_releaseDelay.isActive())
        m_releaseDelay.stop();
    else
        request();
}

void SleepInhibitor::request()
{
    if (!m_bus.isConnected())
        return;
    const QString token = QStringLiteral("kassolin%1").arg(++m_requestCount);
    QDBusMessage inhibit = QDBusMessage::createMethodCall(
        desktopPortalService, desktopPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    inhibit << QString() << suspendFlag
            << QVariantMap{{QStringLiteral("reason"), QStringLiteral("Musik wird abgespielt")},
                           {QStringLiteral("handle_token"), token}};
    m_held = requestPath(m_bus, token);
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(inhibit, answerTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, held = m_held](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                // Without a portal nothing is held, and the next start of play asks again.
                if (call->isError() && m_held == held)
                    m_held.clear();
            });
}

void SleepInhibitor::release(int timeout)
{
    if (m_held.isEmpty())
        return;
    const QDBusMessage close = QDBusMessage::createMethodCall(
        desktopPortalService, m_held, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
    if (timeout < 0)
        m_bus.asyncCall(close);
    else
        m_bus.call(close, QDBus::Block, timeout);
    m_held.clear();
}

#include "moc_SleepInhibitor.cpp"
