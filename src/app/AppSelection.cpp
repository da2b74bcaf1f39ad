// The open panel and the scan that turns its selection, or files dropped on the player
// window, into a playlist.
//
// The panel runs on the main thread; the scan runs on the files' lane of the work queue on a
// copy of the selection and posts its result back to the delegate, whose going cuts the link:
// a running scan stops, and its result is dropped. While a scan runs or waits to be used, the
// program stays alive even when no window is open.
#include "app/AppDelegate.h"

#include "app/FolderEnumerator.h"
#include "app/PlaylistFile.h"
#include "audio/WorkQueue.h"
#include "player/AlertPresenter.h"
#include "player/PlayerWindowController.h"
#include "ui/OpenPanelPresenter.h"

#include <algorithm>

#include <QCollator>
#include <QDropEvent>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>
#include <QMimeData>

namespace {

// The order a file browser shows: digit runs by their value, case ignored. The C locale
// would switch the numeric comparison off, so it stands in with American English.
void sortNaturally(QStringList& paths)
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(paths.begin(), paths.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

void appendUnlessSeen(const QUrl& url, QList<QUrl>& urls, QSet<QString>& seenPaths)
{
    const QString path = url.toLocalFile();
    if (path.isEmpty() || seenPaths.contains(path))
        return;
    urls << url;
    seenPaths.insert(path);
}

void setFlag(bool* flag)
{
    if (flag)
        *flag = true;
}

} // namespace

void AppDelegate::chooseFile(QObject*)
{
    const QList<QUrl> selection =
        m_openPanel.runModal(QStringLiteral("MP3s oder Ordner auswählen"));
    if (selection.isEmpty())
        terminateUnlessPlayerWindowVisible();
    else
        scanSelection(selection);
}

void AppDelegate::addToPlaylist(QObject*)
{
    const QList<QUrl> selection =
        m_openPanel.runModal(QStringLiteral("Zur Wiedergabeliste hinzufügen"));
    if (!selection.isEmpty())
        scanSelection(selection, {.append = true, .reply = {}});
}

// Titles and lengths come from the files' headers, read with the writing off the main thread;
// the list is the one shown once the panel has closed.
void AppDelegate::savePlaylist(QObject*)
{
    const QString path = m_openPanel.runSaveModal(QStringLiteral("Wiedergabeliste sichern"));
    if (path.isEmpty())
        return;
    const QList<QUrl> urls = m_playerWindow->playlist();
    WorkQueue::lane(WorkLane::Files).run([this, path, urls, saves = m_scans.inbox()] {
        QString problem;
        if (PlaylistFile::write(path, PlaylistFile::entriesOf(urls), &problem))
            return;
        saves->post([this, problem] {
            m_alerts.runModal(
                {QStringLiteral("Die Wiedergabeliste konnte nicht gesichert werden."), problem});
        });
    });
}

// Held Ctrl adds the dropped files to the list instead of replacing it.
bool AppDelegate::acceptDrop(QDropEvent* event)
{
    QList<QUrl> selection;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            selection << url;
    }
    if (selection.isEmpty())
        return false;
    event->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        scanSelection(selection,
                      {.append = event->modifiers().testFlag(Qt::ControlModifier), .reply = {}});
    return true;
}

void AppDelegate::scanSelection(const QList<QUrl>& selection, const SelectionUse& use)
{
    const quint64 scan = m_scansAsked++;
    WorkQueue::lane(WorkLane::Files).run([this, selection, use, scan, scans = m_scans.inbox()] {
        ScannedSelection scanned{.urls = {}, .hitLimit = false, .use = use, .lists = {}};
        scanned.urls = playlistURLsFromSelection(selection, &scanned.hitLimit, &scans->isCut(), {},
                                                 &scanned.lists);
        scans->post([this, scan, scanned] {
            useInOrder(scan, [this, scanned] { useScannedSelection(scanned); });
        });
    });
}

// Scans, and the check of the saved session, end in any order; what they found is used in the
// order they were asked for. One used while an alert of an earlier one is up follows it, as it
// would have after the alert.
void AppDelegate::useInOrder(quint64 scan, std::function<void()> use)
{
    m_finishedScans.emplace(scan, std::move(use));
    for (auto next = m_finishedScans.find(m_scansUsed); next != m_finishedScans.end();
         next = m_finishedScans.find(m_scansUsed)) {
        const std::function<void()> ready = std::move(next->second);
        m_finishedScans.erase(next);
        ++m_scansUsed;
        ready();
    }
}

void AppDelegate::useScannedSelection(const ScannedSelection& scanned)
{
    if (scanned.use.append) {
        appendScannedSelection(scanned);
        return;
    }
    if (scanned.use.reply)
        scanned.use.reply(scanned.urls.isEmpty() ? replyFailure : replySuccess);
    if (scanned.urls.isEmpty()) {
        alertNothingFound(scanned);
        return;
    }
    // The list first, the alerts after: what comes while one is up joins the new list.
    openPlaylist(scanned.urls, 0, true);
    if (scanned.hitLimit)
        alertFirstEntriesTaken();
    alertListsRead(scanned.lists);
}

// What plays goes on; only what does not fit in the list is left out, and the user learns how
// much was taken. A request is answered once it is known whether anything was added.
void AppDelegate::appendScannedSelection(const ScannedSelection& scanned)
{
    const qsizetype added = m_playerWindow->appendToPlaylist(scanned.urls);
    if (scanned.use.reply)
        scanned.use.reply(added > 0 ? replySuccess : replyFailure);
    if (scanned.urls.isEmpty()) {
        alertNothingFound(scanned);
        return;
    }
    if (!m_playerWindow->window()->isVisible())
        m_playerWindow->showWindow();
    if (added < scanned.urls.size() || scanned.hitLimit)
        m_alerts.runModal(
            {QStringLiteral("Warteschlange begrenzt"),
             added == 1 ? QStringLiteral("Es wurde 1 MP3-Datei hinzugefügt.")
                        : QStringLiteral("Es wurden %1 MP3-Dateien hinzugefügt.").arg(added)});
    alertListsRead(scanned.lists);
}

// What the lists held says why nothing was found; without lists, a request is only answered.
void AppDelegate::alertNothingFound(const ScannedSelection& scanned)
{
    const ListsRead& lists = scanned.lists;
    const bool listsSaidNothing = lists.unreadable.isEmpty() && lists.skippedEntries == 0;
    if (listsSaidNothing && !scanned.use.reply) {
        alertNoMP3Found();
    } else if (!listsSaidNothing) {
        alertListsRead(lists);
        terminateUnlessPlayerWindowVisible();
    }
}

// One alert for the lists that could not be read, one for the entries passed over.
void AppDelegate::alertListsRead(const ListsRead& lists)
{
    if (!lists.unreadable.isEmpty())
        m_alerts.runModal({QStringLiteral("Die Wiedergabeliste konnte nicht gelesen werden."),
                           lists.unreadable.join(QStringLiteral(", "))});
    if (lists.skippedEntries == 1)
        m_alerts.runModal({QStringLiteral("1 Eintrag der Wiedergabeliste wurde übersprungen."),
                           QStringLiteral("Er nennt keine MP3-Datei auf diesem Rechner.")});
    else if (lists.skippedEntries > 1)
        m_alerts.runModal({QStringLiteral("%1 Einträge der Wiedergabeliste wurden übersprungen.")
                               .arg(lists.skippedEntries),
                           QStringLiteral("Sie nennen keine MP3-Dateien auf diesem Rechner.")});
}

void AppDelegate::alertFirstEntriesTaken()
{
    m_alerts.runModal(
        {QStringLiteral("Warteschlange begrenzt"),
         QStringLiteral("Es wurden die ersten %1 MP3-Dateien übernommen.").arg(playlistLimit)});
}

void AppDelegate::alertNoMP3Found()
{
    m_alerts.runModal(
        {QStringLiteral("Keine MP3-Dateien gefunden."),
         QStringLiteral("Bitte wähle eine MP3-Datei oder einen Ordner mit MP3-Dateien aus.")});
    terminateUnlessPlayerWindowVisible();
}

void AppDelegate::terminateUnlessPlayerWindowVisible()
{
    if (!m_playerWindow->window()->isVisible())
        m_terminate();
}

QList<QUrl> AppDelegate::playlistURLsFromSelection(const QList<QUrl>& selection, bool* hitLimit,
                                                   const std::atomic<bool>* cancelled,
                                                   const FolderEnumerator::StatFunction& stat,
                                                   ListsRead* lists)
{
    QList<QUrl> urls;
    QSet<QString> seenPaths;
    bool limited = false;
    for (const QUrl& url : selection) {
        if (urls.size() >= playlistLimit) {
            limited = true;
            break;
        }
        // A folder the user picked is searched even when it is reached through a link.
        if (QFileInfo(url.toLocalFile()).isDir())
            appendMP3URLsFromDirectory(url, urls, seenPaths, &limited, cancelled, stat);
        else if (isMP3(url))
            appendUnlessSeen(url, urls, seenPaths); // not tested further: it fails at open
        else if (PlaylistFile::isPlaylistPath(url.toLocalFile()))
            appendPlaylistEntries(url.toLocalFile(), urls, seenPaths, &limited, lists);
    }
    if (hitLimit)
        *hitLimit = limited;
    return urls;
}

// A list's entries in its order, an entry it names twice twice: it is the user's own order.
void AppDelegate::appendPlaylistEntries(const QString& path, QList<QUrl>& urls,
                                        QSet<QString>& seenPaths, bool* hitLimit, ListsRead* lists)
{
    const PlaylistFile::Contents contents = PlaylistFile::read(path, playlistLimit);
    ListsRead ignored;
    ListsRead& read = lists ? *lists : ignored;
    read.skippedEntries += contents.skipped;
    if (!contents.readable)
        read.unreadable << QFileInfo(path).fileName();
    for (const QUrl& url : contents.mp3s) {
        if (urls.size() >= playlistLimit) {
            setFlag(hitLimit);
            return;
        }
        urls << url;
        seenPaths.insert(url.toLocalFile());
    }
    if (contents.full)
        setFlag(hitLimit);
}

void AppDelegate::appendMP3URLsFromDirectory(const QUrl& directory, QList<QUrl>& urls,
                                             QSet<QString>& seenPaths, bool* hitLimit,
                                             const std::atomic<bool>* cancelled,
                                             const FolderEnumerator::StatFunction& stat)
{
    // The limit keeps the first files in the file system's order; only those are sorted.
    const qsizetype capacity = playlistLimit - urls.size();
    QStringList candidates;
    FolderEnumerator enumerator(directory.toLocalFile(), stat, cancelled);
    while (const std::optional<FolderEnumerator::Entry> entry = enumerator.next()) {
        const bool notRegular = entry->isRegularFile.has_value() && !*entry->isRegularFile;
        if (!isMP3Path(entry->path) || notRegular)
            continue;
        if (candidates.size() >= capacity) {
            setFlag(hitLimit);
            break;
        }
        candidates << entry->path;
    }
    sortNaturally(candidates);
    for (const QString& path : std::as_const(candidates)) {
        if (urls.size() >= playlistLimit) {
            setFlag(hitLimit);
            return;
        }
        appendUnlessSeen(QUrl::fromLocalFile(path), urls, seenPaths);
    }
}
