#include "app/AppDelegate.h"

#include "app/PlaylistFile.h"
#include "player/PlayerWindowController.h"
#include "player/SavedSession.h"
#include "player/SessionKeeper.h"
#include "ui/QueueWindowController.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QMainWindow>
#include <QSettings>

namespace {

// A path as an absolute file URL, relative paths resolved against the current folder; empty
// for a path that no file can have.
QUrl fileURLWithPath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return {};
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

QList<QUrl> fileURLsWithPaths(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << fileURLWithPath(path);
    return urls;
}

// A "file://" argument names a file of this machine only with an empty or "localhost" host.
QUrl fileURLFromArgument(const QString& argument)
{
    const QUrl url(argument, QUrl::StrictMode);
    if (!url.isValid() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return {};
    const QString path = url.path();
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return {};
    return QUrl::fromLocalFile(path);
}

} // namespace

AppDelegate::AppDelegate(AudioPlayer::Factory playerFactory, AlertPresenter& alerts,
                         OpenPanelPresenter& openPanel, std::function<void()> terminate,
                         std::unique_ptr<QSettings> preferences, QString sessionPath,
                         QObject* parent)
    : QObject(parent), m_alerts(alerts), m_openPanel(openPanel),
      m_preferences(std::move(preferences)), m_sessionPath(std::move(sessionPath)),
      m_openURL([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    // The icon and the palette come before the first widget, so that every window is made with
    // them and none is redrawn for them.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.kassolin.Kassolin.svg")));
    applyStandardAppearanceValue(standardAppearancePreference());
    m_playerWindow = std::make_unique<PlayerWindowController>(std::move(playerFactory), alerts);
    m_playerWindow->setApplicationDelegate(this);
    m_playerWindow->setQueueWindowFactory(QueueWindowController::factory());
    m_playerWindow->window()->setAcceptDrops(true);
    m_session = std::make_unique<SessionKeeper>(*m_playerWindow, m_sessionPath);
    // Every way out keeps the place the user is at.
    m_terminate = [this, terminate = std::move(terminate)] {
        m_session->save();
        terminate();
    };
    connect(&m_terminationSignals, &TerminationSignals::received, this, [this] { quit(); });
    // Qt's own rule counts dialogs and knows nothing of a running scan; ours is
    // applicationShouldTerminateAfterLastWindowClosed(), applied when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
}

AppDelegate::~AppDelegate()
{
    m_scans.cut();
    qApp->removeEventFilter(this);
    m_session.reset();
    m_playerWindow.reset();
}

void AppDelegate::applicationWillFinishLaunching()
{
    buildMenu();
    applyDisplayPreferences();
}

void AppDelegate::applicationDidFinishLaunching(const QStringList& added)
{
    // The volume comes back with every launch, whatever it opens.
    const std::optional<SavedSession> saved = readSavedSession();
    if (saved)
        m_playerWindow->setVolume(saved->volume);
    const QUrl startupURL = startupMP3URL(m_arguments);
    if (!startupURL.isEmpty() && !isMP3(startupURL)) {
        openURLs({startupURL}); // a playlist file, read while the window shows
        m_playerWindow->showWindow();
    } else if (!startupURL.isEmpty()) {
        openPlayerWithFile(startupURL, true);
    } else if (!m_openedStartupFile && !resumeSavedSession(saved) && added.isEmpty()) {
        chooseFile(this);
    } else if (!m_playerWindow->window()->isVisible()) {
        m_playerWindow->showWindow(); // the menu lives in the window: never leave the user none
    }
    if (!added.isEmpty())
        enqueueFiles(added);
}

std::optional<SavedSession> AppDelegate::readSavedSession() const
{
    QString problem;
    std::optional<SavedSession> session =
        SavedSession::read(m_sessionPath, &problem, &SavedSession::namesMP3);
    if (!problem.isEmpty())
        qWarning("Kassolin: Die gespeicherte Sitzung %s wird übergangen (%s).",
                 qUtf8Printable(m_sessionPath), qUtf8Printable(problem));
    return session;
}

bool AppDelegate::resumeSavedSession(const std::optional<SavedSession>& session)
{
    if (!session || !boolPreferenceForKey(QStringLiteral("ResumeOnLaunch"), true))
        return false;
    // The window shows at once; the list follows once its files have been found, before what
    // is added to it meanwhile.
    m_playerWindow->showWindow();
    const quint64 slot = m_scansAsked++;
    m_sessionCheck.check(*session, [this, slot, handOvers = m_handOvers](
                                       const std::optional<SavedSession>& checked) {
        useInOrder(slot, [this, handOvers, checked] {
            if (m_handOvers != handOvers)
                return; // the user has opened something else meanwhile
            if (checked) {
                ++m_handOvers;
                m_playerWindow->resumeSession(*checked);
            } else if (!isLoadingSelection()) {
                chooseFile(this); // unless files are being added, which become the list
            }
        });
    });
    return true;
}

bool AppDelegate::openFile(const QString& path)
{
    m_openedStartupFile = true;
    return openURLsFromFinder({fileURLWithPath(path)});
}

void AppDelegate::openFiles(const QStringList& paths, const Reply& reply)
{
    m_openedStartupFile = true;
    // Kept: the answer comes after a scan where playlist files are among the paths.
    openURLsFromFinder(fileURLsWithPaths(paths), [reply](bool opened) {
        if (reply)
            reply(opened ? replySuccess : replyFailure);
    });
}

void AppDelegate::enqueueFiles(const QStringList& paths, const Reply& reply)
{
    m_openedStartupFile = true;
    // A request is answered, not alerted, also when nobody waits for the answer.
    scanSelection(fileURLsWithPaths(paths),
                  {.append = true, .reply = reply ? reply : Reply([](int) {})});
}

void AppDelegate::openURLs(const QList<QUrl>& urls)
{
    m_openedStartupFile = true;
    openURLsFromFinder(urls);
}

MprisRequests AppDelegate::desktopRequests()
{
    return {[this](const QList<QUrl>& files) { openURLs(files); },
            [this](bool enabled) { setShuffleEnabled(enabled); }, [this] { quit(); }};
}

bool AppDelegate::openURLsFromFinder(const QList<QUrl>& urls,
                                     const std::function<void(bool)>& decided)
{
    QList<QUrl> mp3s;
    bool withLists = false;
    for (const QUrl& url : urls) {
        const bool list = PlaylistFile::isPlaylistPath(url.toLocalFile());
        if (isMP3(url) || list)
            mp3s << url;
        withLists = withLists || list;
    }
    // A list is read off the main thread; what it holds is known, and answered, after.
    if (withLists) {
        const Reply reply = [decided](int status) { decided(status == replySuccess); };
        scanSelection(mp3s, {.append = false, .reply = decided ? reply : Reply()});
        return true;
    }
    if (decided)
        decided(!mp3s.isEmpty());
    if (mp3s.isEmpty())
        return false;
    // As many as a list holds, the first ones, as from a selection.
    const bool limited = mp3s.size() > playlistLimit;
    openPlaylist(mp3s.first(std::min(mp3s.size(), playlistLimit)), 0, true);
    if (limited)
        alertFirstEntriesTaken();
    return true;
}

void AppDelegate::openPlayerWithFile(const QUrl& url, bool autoplay)
{
    openPlaylist({url}, 0, autoplay);
}

void AppDelegate::openPlaylist(const QList<QUrl>& urls, qint64 startIndex, bool autoplay)
{
    ++m_handOvers;
    // A failed load has shown its alert by now; the window is shown all the same.
    m_playerWindow->loadPlaylist(urls, startIndex, autoplay);
    m_playerWindow->showWindow();
}

QUrl AppDelegate::startupMP3URL(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(QLatin1Char('-')))
            continue;
        const QUrl url = argument.startsWith(QLatin1String("file://"))
                             ? fileURLFromArgument(argument)
                             : fileURLWithPath(argument);
        if (!url.isEmpty() && (isMP3(url) || PlaylistFile::isPlaylistPath(url.path())))
            return url;
    }
    return {};
}

bool AppDelegate::isMP3(const QUrl& url)
{
    return isMP3Path(url.path());
}

bool AppDelegate::isMP3Path(const QString& path)
{
    // A path ending in ".mp3" has its last dot after its last slash.
    return path.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_playerWindow->window() &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop))
        return acceptDrop(static_cast<QDropEvent*>(event));
    if (type == QEvent::Close && watched->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(watched);
        // Decided once the close has happened: the window may still refuse it.
        if (widget->isWindow() && widget->windowType() == Qt::Window)
            QMetaObject::invokeMethod(this, &AppDelegate::windowDidClose, Qt::QueuedConnection);
    }
    return false;
}

void AppDelegate::windowDidClose()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool anyWindowOpen = std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
        return window->windowType() == Qt::Window && window->isVisible();
    });
    if (!anyWindowOpen && applicationShouldTerminateAfterLastWindowClosed())
        m_terminate();
}

#include "moc_AppDelegate.cpp"
