#pragma once

#include "app/FolderEnumerator.h"
#include "platform/AudioPlayer.h"

#include <atomic>
#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

class AlertPresenter;
class QDropEvent;
class OpenPanelPresenter;
class PlayerWindowController;

// The application's delegate: it owns the one player window for the life of the process, runs
// the launch sequence, takes the desktop's open requests, turns a selection of files and
// folders (from the open panel, or dropped on the player window) into a playlist, and decides
// when closing the last window ends the program.
//
// Everything here runs on the main thread except the folder scan, which runs on the global
// thread pool, works only on its own copy of the selection and posts its result back. Every
// road into playback ends in openPlaylist().
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    // The answers to a desktop open request.
    static constexpr int replySuccess = 0;
    static constexpr int replyFailure = 2;
    // The most tracks a selection gives.
    static constexpr qsizetype playlistLimit = 500;

    using Reply = std::function<void(int status)>;

    // `terminate` ends the event loop; tests record it instead.
    AppDelegate(AudioPlayer::Factory playerFactory, AlertPresenter& alerts,
                OpenPanelPresenter& openPanel, std::function<void()> terminate,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    PlayerWindowController* playerWindow() const { return m_playerWindow.get(); }
    bool isOpenedStartupFile() const { return m_openedStartupFile; }
    void setOpenedStartupFile(bool opened) { m_openedStartupFile = opened; }
    bool isLoadingSelection() const { return m_loadingSelection; }
    void setLoadingSelection(bool loading) { m_loadingSelection = loading; }
    // The process arguments the command-line rule reads, the program's name first.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }

    // Launch and open requests
    void applicationDidFinishLaunching();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return !m_loadingSelection; }
    bool openFile(const QString& path);
    // `reply` gets replySuccess or replyFailure as soon as the MP3 filter has decided, before
    // the load can show an alert.
    void openFiles(const QStringList& paths, const Reply& reply = {});
    void openURLs(const QList<QUrl>& urls);
    bool openURLsFromFinder(const QList<QUrl>& urls, const std::function<void(bool)>& decided = {});
    void openPlayerWithFile(const QUrl& url, bool autoplay);
    void openPlaylist(const QList<QUrl>& urls, qint64 startIndex, bool autoplay);
    // The first argument after the program's name that is not an option and names an MP3, as
    // a path or as a file URL of this machine; empty when there is none.
    static QUrl startupMP3URL(const QStringList& arguments);
    static bool isMP3(const QUrl& url);

    // Menus and display preferences
    void buildMenu();
    void applyDisplayPreferences();

    // Selection to playlist. Both run on any thread and touch no state of the delegate; a
    // walk stops early once `cancelled` is set. `stat` is the folder walk's (FolderEnumerator).
    static QList<QUrl> playlistURLsFromSelection(const QList<QUrl>& selection, bool* hitLimit,
                                                 const std::atomic<bool>* cancelled = nullptr,
                                                 const FolderEnumerator::StatFunction& stat = {});
    static void appendMP3URLsFromDirectory(const QUrl& directory, QList<QUrl>& urls,
                                           QSet<QString>& seenPaths, bool* hitLimit,
                                           const std::atomic<bool>* cancelled = nullptr,
                                           const FolderEnumerator::StatFunction& stat = {});

public Q_SLOTS:
    void chooseFile(QObject* sender);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped on the player window are a selection like the open panel's.
    bool acceptDrop(QDropEvent* event);
    void scanSelection(const QList<QUrl>& selection);
    void windowDidClose();
    void selectionScanDidFinish(const QList<QUrl>& urls, bool hitLimit);
    void terminateUnlessPlayerWindowVisible();
    static bool isMP3Path(const QString& path);

    AlertPresenter& m_alerts;
    OpenPanelPresenter& m_openPanel;
    std::function<void()> m_terminate;
    std::unique_ptr<PlayerWindowController> m_playerWindow;
    QStringList m_arguments;
    bool m_openedStartupFile = false;
    bool m_loadingSelection = false;
    // Counts hand-overs, so that work resumed after a modal alert sees whether a newer request
    // was opened while the alert was up.
    quint64 m_handOvers = 0;
    // Set when the delegate goes, so that a running scan stops instead of holding up the quit.
    std::atomic<bool> m_quitting{false};
};
