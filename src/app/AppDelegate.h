#pragma once

#include "app/FolderEnumerator.h"
#include "audio/AudioPlayer.h"
#include "audio/ReceiverLink.h"
#include "desktop/MprisRequests.h"
#include "desktop/TerminationSignals.h"
#include "player/PlayerState.h"
#include "player/SavedSession.h"
#include "player/SessionEntryCheck.h"

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class AlertPresenter;
class OpenPanelPresenter;
class PlayerWindowController;
class QAction;
class QDropEvent;
class QKeySequence;
class QMenu;
class QSettings;
class SessionKeeper;

// The application's delegate: it owns the one player window for the life of the process, runs
// the launch sequence, takes the desktop's open requests, turns a selection of files and
// folders (from the open panel, or dropped on the player window) into a playlist, and decides
// when closing the last window ends the program. It builds the menu bar, keeps the stored
// display preferences and the appearance, and answers the menu.
//
// Everything here runs on the main thread except the folder scan, which runs on the files' lane
// of the work queue, works only on its own copy of the selection and posts its result back.
// Every road into playback ends in openPlaylist().
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    // The answers to a desktop open request.
    static constexpr int replySuccess = 0;
    static constexpr int replyFailure = 2;
    // The most tracks a selection gives, and a list holds.
    static constexpr qsizetype playlistLimit = PlayerState::playlistLimit;

    using Reply = std::function<void(int status)>;

    // `terminate` ends the event loop; tests record it instead. `preferences` is the store the
    // display preferences are read from and written to at once; `sessionPath` is where the
    // place in the playlist is kept for the next launch.
    AppDelegate(AudioPlayer::Factory playerFactory, AlertPresenter& alerts,
                OpenPanelPresenter& openPanel, std::function<void()> terminate,
                std::unique_ptr<QSettings> preferences, QString sessionPath,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    PlayerWindowController* playerWindow() const { return m_playerWindow.get(); }
    bool isLoadingSelection() const { return m_scansUsed != m_scansAsked; }
    // The process arguments the command-line rule reads, the program's name first.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }

    // Launch and open requests. The menu and the stored preferences come first, before the
    // desktop's open requests of the launch, so that the window is first shown as the user left
    // it (in its look, at its size, centred for that size); the rest of the launch follows them.
    void applicationWillFinishLaunching();
    // `added` are files the launch adds to the list (--enqueue): to the session that comes
    // back, or they are the list.
    void applicationDidFinishLaunching(const QStringList& added = {});
    bool applicationShouldTerminateAfterLastWindowClosed() const { return !isLoadingSelection(); }
    bool openFile(const QString& path);
    // `reply` gets replySuccess or replyFailure as soon as the MP3 filter has decided, before
    // the load can show an alert.
    void openFiles(const QStringList& paths, const Reply& reply = {});
    void openURLs(const QList<QUrl>& urls);
    // Adds the MP3s among the paths, and those in folders among them, to the end of the list;
    // `reply` as for openFiles, once the folders have been scanned.
    void enqueueFiles(const QStringList& paths, const Reply& reply = {});
    bool openURLsFromFinder(const QList<QUrl>& urls, const std::function<void(bool)>& decided = {});
    void openPlayerWithFile(const QUrl& url, bool autoplay);
    void openPlaylist(const QList<QUrl>& urls, qint64 startIndex, bool autoplay);
    // The first argument after the program's name that is not an option and names an MP3, as
    // a path or as a file URL of this machine; empty when there is none.
    static QUrl startupMP3URL(const QStringList& arguments);
    static bool isMP3(const QUrl& url);

    // Menus. The About box shows the date of `now`; the manual opens with `openURL`.
    void buildMenu();
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    void setURLOpener(std::function<void(const QUrl&)> openURL) { m_openURL = std::move(openURL); }
    // The manual, installed under share/doc/kassolin beside the program's folder, and copied
    // to the same place in the build tree; empty when it is not there.
    static QUrl documentationURL(const QString& applicationDir);

    // Display preferences and appearance
    void applyDisplayPreferences();
    bool boolPreferenceForKey(const QString& key, bool defaultValue) const;
    QString standardAppearancePreference() const;
    void applyStandardAppearanceValue(const QString& value);
    void setStandardAppearanceValue(const QString& value);
    void updateStandardAppearanceMenuForValue(const QString& value);
    void updateViewMenuAvailabilityForVintageDesign(bool vintage);
    // Shuffle as the menu sets it: on the player, in the store and as the item's check mark.
    void setShuffleEnabled(bool enabled);
    // The desktop's dark-style preference, which the "system" appearance follows.
    void setDesktopPrefersDark(bool prefersDark);
    // Ends the program, as the menu's quit item does.
    void quit() { m_terminate(); }
    // What the desktop's controls ask of the application, done as the menus do it.
    MprisRequests desktopRequests();

    // What the playlist files of a selection held besides MP3s.
    struct ListsRead
    {
        int skippedEntries = 0;
        QStringList unreadable; // file names
    };
    // Selection to playlist: the MP3s chosen, those in folders and those playlist files name.
    // Both run on any thread and touch no state of the delegate; a walk stops early once
    // `cancelled` is set. `stat` is the folder walk's (FolderEnumerator).
    static QList<QUrl> playlistURLsFromSelection(const QList<QUrl>& selection, bool* hitLimit,
                                                 const std::atomic<bool>* cancelled = nullptr,
                                                 const FolderEnumerator::StatFunction& stat = {},
                                                 ListsRead* lists = nullptr);
    static void appendPlaylistEntries(const QString& path, QList<QUrl>& urls,
                                      QSet<QString>& seenPaths, bool* hitLimit, ListsRead* lists);
    static void appendMP3URLsFromDirectory(const QUrl& directory, QList<QUrl>& urls,
                                           QSet<QString>& seenPaths, bool* hitLimit,
                                           const std::atomic<bool>* cancelled = nullptr,
                                           const FolderEnumerator::StatFunction& stat = {});

public Q_SLOTS:
    void chooseFile(QObject* sender);
    void terminate(QObject* sender);
    void showAbout(QObject* sender);
    void openDocumentation(QObject* sender);
    void toggleLEDLevelMeter(QObject* sender);
    void toggleWaveform(QObject* sender);
    void toggleSpectrum(QObject* sender);
    void toggleLoopControls(QObject* sender);
    void toggleShuffle(QObject* sender);
    void toggleResumeOnLaunch(QObject* sender);
    void selectReplayGainMode(QObject* sender);
    void toggleStopAfterCurrentTrack(QObject* sender);
    void increaseVolume(QObject* sender);
    void decreaseVolume(QObject* sender);
    void addToPlaylist(QObject* sender);
    void savePlaylist(QObject* sender);
    void toggleVintageDesign(QObject* sender);
    void selectStandardAppearanceSystem(QObject* sender);
    void selectStandardAppearanceLight(QObject* sender);
    void selectStandardAppearanceDark(QObject* sender);
    void setLoopStart(QObject* sender);
    void setLoopEnd(QObject* sender);
    void clearLoop(QObject* sender);

private:
    struct DisplayPreference;
    static const DisplayPreference displayPreferences[4];
    // A ReplayGain mode: its stored name and its menu item's title.
    struct ReplayGainChoice
    {
        ReplayGainMode mode;
        const char* stored;
        const char* title;
    };
    static const ReplayGainChoice replayGainChoices[4];

    QAction* addMenuItem(QMenu* menu, const QString& title, const QKeySequence& key,
                         const char* action, bool checkable = false);
    void toggleDisplay(const DisplayPreference& display);
    void restoreStoredDisplays();
    ReplayGainMode storedReplayGainMode() const;
    void showReplayGainMode(ReplayGainMode mode);
    void storePreference(const QString& key, const QVariant& value);

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped on the player window are a selection like the open panel's.
    bool acceptDrop(QDropEvent* event);
    // What a scanned selection becomes: the list, or more of it. A request from the desktop
    // or another launch is answered by `reply` instead of an alert when it holds no MP3.
    struct SelectionUse
    {
        bool append;
        Reply reply;
    };
    struct ScannedSelection
    {
        QList<QUrl> urls;
        bool hitLimit;
        SelectionUse use;
        ListsRead lists;
    };
    void scanSelection(const QList<QUrl>& selection, const SelectionUse& use = {});
    void windowDidClose();
    void useInOrder(quint64 scan, std::function<void()> use);
    void useScannedSelection(const ScannedSelection& scanned);
    void appendScannedSelection(const ScannedSelection& scanned);
    void alertFirstEntriesTaken();
    void alertNothingFound(const ScannedSelection& scanned);
    void alertListsRead(const ListsRead& lists);
    void alertNoMP3Found();
    void terminateUnlessPlayerWindowVisible();
    // Brings back the last session when the switch is on and an entry of it names an MP3; the
    // open panel follows when none of them is still there.
    std::optional<SavedSession> readSavedSession() const;
    bool resumeSavedSession(const std::optional<SavedSession>& session);
    static bool isMP3Path(const QString& path);

    AlertPresenter& m_alerts;
    OpenPanelPresenter& m_openPanel;
    std::function<void()> m_terminate;
    std::unique_ptr<QSettings> m_preferences;
    std::unique_ptr<PlayerWindowController> m_playerWindow;
    const QString m_sessionPath;
    std::unique_ptr<SessionKeeper> m_session;
    SessionEntryCheck m_sessionCheck;
    // A logout, a closed terminal or a stop quits as the menu does.
    TerminationSignals m_terminationSignals;
    std::function<QDateTime()> m_now = &QDateTime::currentDateTime;
    std::function<void(const QUrl&)> m_openURL;
    QStringList m_arguments;
    bool m_openedStartupFile = false;
    // Scans (and the saved session's check) asked for and used, in order; those that ended
    // before an earlier one wait here.
    quint64 m_scansAsked = 0;
    quint64 m_scansUsed = 0;
    std::map<quint64, std::function<void()>> m_finishedScans;
    // Counts hand-overs, so that work resumed after a modal alert sees whether a newer request
    // was opened while the alert was up.
    quint64 m_handOvers = 0;
    // Cut when the delegate goes: a running scan stops, and posts nothing to a delegate gone.
    ReceiverLink m_scans;

    // The menu items whose check marks and enabled states change; owned by their menus.
    QAction* m_ledMenuItem = nullptr;
    QAction* m_waveformMenuItem = nullptr;
    QAction* m_spectrumMenuItem = nullptr;
    QAction* m_loopControlsMenuItem = nullptr;
    QAction* m_vintageDesignMenuItem = nullptr;
    QAction* m_appearanceMenuItem = nullptr;
    QAction* m_appearanceSystemMenuItem = nullptr;
    QAction* m_appearanceLightMenuItem = nullptr;
    QAction* m_appearanceDarkMenuItem = nullptr;
    QAction* m_shuffleMenuItem = nullptr;
    QAction* m_resumeMenuItem = nullptr;
    // In the order of replayGainChoices.
    std::array<QAction*, 4> m_replayGainMenuItems{};
    QAction* m_stopAfterMenuItem = nullptr;
    // The appearance in force, and the desktop's preference that "system" follows.
    QString m_appliedAppearance;
    bool m_desktopPrefersDark = false;
};
