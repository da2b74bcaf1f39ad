// The delegate's menu bar, the About box and the manual.
#include "app/AppDelegate.h"

#include "player/AlertPresenter.h"
#include "player/PlayerWindowController.h"
#include "views/TargetAction.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr int aboutIconSize = 64;

QKeySequence ctrl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

// A menu that takes its palette from the window, so that the tape deck's menus are dark too.
template <typename Parent> QMenu* addMenu(Parent* parent, const QString& title)
{
    auto* menu = new QMenu(title, parent);
    menu->setAttribute(Qt::WA_WindowPropagation);
    parent->addMenu(menu);
    return menu;
}

} // namespace

// Items send their action, a slot of the delegate taking the item, by name. Their keys work from
// the queue window as well; a modal dialog still blocks them.
QAction* AppDelegate::addMenuItem(QMenu* menu, const QString& title, const QKeySequence& key,
                                  const char* action, bool checkable)
{
    QAction* item = menu->addAction(title);
    item->setShortcut(key);
    item->setShortcutContext(Qt::ApplicationShortcut);
    item->setCheckable(checkable);
    connect(item, &QAction::triggered, this,
            [this, item, action] { TargetAction::send(this, action, item); });
    return item;
}

void AppDelegate::buildMenu()
{
    // Linux has no global menu bar: the menu lives in the player window.
    QMenuBar* menuBar = m_playerWindow->window()->menuBar();
    menuBar->setNativeMenuBar(false);

    QMenu* applicationMenu = addMenu(menuBar, QStringLiteral("Kassolin"));
    addMenuItem(applicationMenu, QStringLiteral("Über Kassolin"), {}, "showAbout");
    applicationMenu->addSeparator();
    addMenuItem(applicationMenu, QStringLiteral("Kassolin beenden"), ctrl(Qt::Key_Q), "terminate");

    QMenu* fileMenu = addMenu(menuBar, QStringLiteral("Ablage"));
    addMenuItem(fileMenu, QStringLiteral("MP3 öffnen..."), ctrl(Qt::Key_O), "chooseFile");
    addMenuItem(fileMenu, QStringLiteral("Zur Wiedergabeliste hinzufügen..."),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), "addToPlaylist");
    addMenuItem(fileMenu, QStringLiteral("Wiedergabeliste sichern..."),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "savePlaylist");
    m_resumeMenuItem = addMenuItem(fileMenu, QStringLiteral("Beim Start fortsetzen"), {},
                                   "toggleResumeOnLaunch", true);

    QMenu* viewMenu = addMenu(menuBar, QStringLiteral("Ansicht"));
    m_ledMenuItem = addMenuItem(viewMenu, QStringLiteral("LED-Pegelanzeige"), ctrl(Qt::Key_L),
                                "toggleLEDLevelMeter", true);
    m_waveformMenuItem = addMenuItem(viewMenu, QStringLiteral("Waveform-Anzeige"), ctrl(Qt::Key_W),
                                     "toggleWaveform", true);
    m_spectrumMenuItem = addMenuItem(viewMenu, QStringLiteral("Spektrumanalyzer"), ctrl(Qt::Key_S),
                                     "toggleSpectrum", true);
    m_loopControlsMenuItem = addMenuItem(viewMenu, QStringLiteral("Loop-Steuerung"),
                                         ctrl(Qt::Key_U), "toggleLoopControls", true);
    viewMenu->addSeparator();
    QMenu* appearanceMenu = addMenu(viewMenu, QStringLiteral("Standard-Design"));
    m_appearanceMenuItem = appearanceMenu->menuAction();
    m_appearanceSystemMenuItem = addMenuItem(appearanceMenu, QStringLiteral("System gesteuert"), {},
                                             "selectStandardAppearanceSystem", true);
    m_appearanceLightMenuItem = addMenuItem(appearanceMenu, QStringLiteral("Hell Modus"), {},
                                            "selectStandardAppearanceLight", true);
    m_appearanceDarkMenuItem = addMenuItem(appearanceMenu, QStringLiteral("Dunkel Modus"), {},
                                           "selectStandardAppearanceDark", true);
    viewMenu->addSeparator();
    m_vintageDesignMenuItem = addMenuItem(viewMenu, QStringLiteral("Vintage-Design"),
                                          ctrl(Qt::Key_D), "toggleVintageDesign", true);

    QMenu* playbackMenu = addMenu(menuBar, QStringLiteral("Wiedergabe"));
    m_shuffleMenuItem = addMenuItem(playbackMenu, QStringLiteral("Shuffle"), ctrl(Qt::Key_R),
                                    "toggleShuffle", true);
    m_stopAfterMenuItem = addMenuItem(playbackMenu, QStringLiteral("Nach diesem Titel anhalten"),
                                      ctrl(Qt::Key_M), "toggleStopAfterCurrentTrack", true);
    // The mark clears itself when it has stopped the player.
    connect(m_playerWindow.get(), &PlayerWindowController::stateChanged, m_stopAfterMenuItem,
            [this] { m_stopAfterMenuItem->setChecked(m_playerWindow->stopsAfterCurrentTrack()); });
    addMenuItem(playbackMenu, QStringLiteral("Lauter"), ctrl(Qt::Key_Up), "increaseVolume");
    addMenuItem(playbackMenu, QStringLiteral("Leiser"), ctrl(Qt::Key_Down), "decreaseVolume");
    QMenu* replayGainMenu = addMenu(playbackMenu, QStringLiteral("Lautstärke angleichen"));
    auto* exclusive = new QActionGroup(replayGainMenu);
    for (std::size_t choice = 0; choice < m_replayGainMenuItems.size(); ++choice) {
        QAction* item =
            addMenuItem(replayGainMenu, QString::fromUtf8(replayGainChoices[choice].title), {},
                        "selectReplayGainMode", true);
        exclusive->addAction(item);
        m_replayGainMenuItems[choice] = item;
    }
    playbackMenu->addSeparator();
    addMenuItem(playbackMenu, QStringLiteral("A-Punkt setzen"), ctrl(Qt::Key_BracketLeft),
                "setLoopStart");
    addMenuItem(playbackMenu, QStringLiteral("B-Punkt setzen"), ctrl(Qt::Key_BracketRight),
                "setLoopEnd");
    addMenuItem(playbackMenu, QStringLiteral("A/B-Loop löschen"), ctrl(Qt::Key_Backslash),
                "clearLoop");

    QMenu* helpMenu = addMenu(menuBar, QStringLiteral("Hilfe"));
    addMenuItem(helpMenu, QStringLiteral("Dokumentation"), {}, "openDocumentation");

    // The menu bar sits above the content, so the window grows by its height.
    m_playerWindow->resizeWindowToFitContentAnimated(false);
}

void AppDelegate::terminate(QObject*)
{
    m_terminate();
}

void AppDelegate::showAbout(QObject*)
{
    const QString date = QLocale(QLocale::German, QLocale::Germany)
                             .toString(m_now().date(), QStringLiteral("d. MMMM yyyy"));
    m_alerts.runModal(
        {QStringLiteral("Kassolin"),
         QStringLiteral("Version " KASSOLIN_VERSION "\nLizenz: GNU GPL, Version 3 oder später\n") +
             date,
         QApplication::windowIcon().pixmap(aboutIconSize), QStringLiteral("Über Kassolin")});
}

void AppDelegate::openDocumentation(QObject*)
{
    const QUrl manual = documentationURL(QCoreApplication::applicationDirPath());
    if (!manual.isEmpty())
        m_openURL(manual);
}

QUrl AppDelegate::documentationURL(const QString& applicationDir)
{
    // Cleaned as text first: the program's folder need not exist for the path to be found.
    const QFileInfo manual(QDir::cleanPath(
        applicationDir + QStringLiteral("/" KASSOLIN_MANUAL_FROM_PROGRAM "/index.html")));
    return manual.isFile() ? QUrl::fromLocalFile(manual.canonicalFilePath()) : QUrl();
}
