// The delegate's menu bar and the display preferences it applies at launch.
#include "app/AppDelegate.h"

#include "player/PlayerWindowController.h"
#include "ui/StoredBoolean.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

void AppDelegate::buildMenu()
{
    // Linux has no global menu bar: the menu lives in the player window.
    QMenuBar* menuBar = m_playerWindow->window()->menuBar();
    menuBar->setNativeMenuBar(false);

    QMenu* applicationMenu = menuBar->addMenu(QStringLiteral("Kassolin"));
    QAction* quit = applicationMenu->addAction(QStringLiteral("Kassolin beenden"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] { m_terminate(); });

    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("Ablage"));
    QAction* open = fileMenu->addAction(QStringLiteral("MP3 öffnen..."));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, [this] { chooseFile(nullptr); });

    // The menu bar sits above the content, so the window grows by its height.
    m_playerWindow->resizeWindowToFitContentAnimated(false);
}

void AppDelegate::applyDisplayPreferences()
{
    const QSettings settings;
    const bool vintage =
        storedBoolean(settings.value(QStringLiteral("VintageDesign"))).value_or(false);
    m_playerWindow->setVintageDesignEnabled(vintage);
}

void AppDelegate::setShufflePreference(bool enabled)
{
    m_playerWindow->setShuffleEnabled(enabled);
}
