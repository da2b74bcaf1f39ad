#include "support/AppHarness.h"

#include "ui/QueueWindowController.h"

#include <QDir>
#include <QMenuBar>

#include <tuple>

#include <gtest/gtest.h>

namespace {

QList<QAction*> items(const AppHarness& app)
{
    return app.player().window()->menuBar()->findChildren<QAction*>();
}

void trigger(const AppHarness& app, const QString& title)
{
    for (QAction* item : items(app))
        if (item->text() == title)
            item->trigger();
}

// The titles of the checkable items that are checked, or that are disabled.
QStringList checkableItems(const AppHarness& app, bool (QAction::*test)() const, bool is)
{
    QStringList titles;
    for (const QAction* item : items(app))
        if (item->isCheckable() && (item->*test)() == is)
            titles << item->text();
    return titles;
}

QStringList checkedItems(const AppHarness& app)
{
    return checkableItems(app, &QAction::isChecked, true);
}

QStringList disabledItems(const AppHarness& app)
{
    return checkableItems(app, &QAction::isEnabled, false);
}

// A launch that opens two files, as the desktop's open request does.
void launch(AppHarness& app)
{
    app.delegate.applicationWillFinishLaunching();
    app.delegate.openFiles({"/m/a.mp3", "/m/b.mp3"});
    app.delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(app.opened());
}

void pressKey(QWidget* window, char key)
{
    QTest::keyClick(window, Qt::Key(key), Qt::ControlModifier);
}

const QByteArray storedVintage =
    "LEDVisible=no\nReplayGainEnabled=yes\nShuffleEnabled=1\n"
    "StandardAppearance=Dark\nVintageDesign=true\nWaveformVisible=false";

} // namespace

TEST(AppMenuTest, TheMenusHoldTheirItemsInOrderAndALaunchShowsTheStoreWritingNothing)
{
    AppHarness fresh;
    launch(fresh);
    QStringList titles;
    for (const QAction* item : items(fresh))
        titles << (item->isSeparator() ? "—" : item->text() + item->shortcut().toString());
    EXPECT_EQ(
        titles.join(" | "),
        "Kassolin | Über Kassolin | — | Kassolin beendenCtrl+Q | Ablage | "
        "MP3 öffnen...Ctrl+O | Zur Wiedergabeliste hinzufügen...Ctrl+Shift+O | "
        "Wiedergabeliste sichern...Ctrl+Shift+S | "
        "Beim Start fortsetzen | Ansicht | LED-PegelanzeigeCtrl+L | "
        "Waveform-AnzeigeCtrl+W | SpektrumanalyzerCtrl+S | Loop-SteuerungCtrl+U | — | "
        "Standard-Design | System gesteuert | Hell Modus | Dunkel Modus | — | "
        "Vintage-DesignCtrl+D | Wiedergabe | ShuffleCtrl+R | Nach diesem Titel anhaltenCtrl+M | "
        "LauterCtrl+Up | LeiserCtrl+Down | "
        "Lautstärke angleichen | Aus | Titel | Album | Automatisch | "
        "— | A-Punkt setzenCtrl+[ | "
        "B-Punkt setzenCtrl+] | A/B-Loop löschenCtrl+\\ | Hilfe | Dokumentation");
    EXPECT_EQ(checkedItems(fresh),
              QStringList({"Beim Start fortsetzen", "LED-Pegelanzeige", "Waveform-Anzeige",
                           "Spektrumanalyzer", "System gesteuert", "Aus"}));
    EXPECT_TRUE(disabledItems(fresh).isEmpty());
    EXPECT_EQ(fresh.storedPreferences(), "");

    AppHarness stored(storedVintage);
    launch(stored);
    // The tape deck shows every display and no loop row, in its own colours; an appearance
    // that is no known value counts as the system's.
    EXPECT_EQ(checkedItems(stored),
              QStringList({"Beim Start fortsetzen", "LED-Pegelanzeige", "Waveform-Anzeige",
                           "Spektrumanalyzer", "System gesteuert", "Vintage-Design", "Shuffle",
                           "Titel"}));
    // The switch stored before there were modes was the track's gain.
    EXPECT_EQ(stored.player().replayGainMode(), ReplayGainMode::Track);
    EXPECT_EQ(disabledItems(stored),
              QStringList({"LED-Pegelanzeige", "Waveform-Anzeige", "Spektrumanalyzer",
                           "Loop-Steuerung", "System gesteuert", "Hell Modus", "Dunkel Modus"}));
    EXPECT_EQ(stored.storedPreferences(), "[General]\n" + storedVintage);
}

TEST(AppMenuTest, EachKeyTogglesItsItemFromEitherWindowAndStoresIt)
{
    for (const bool fromQueue : {false, true}) {
        AppHarness app;
        launch(app);
        PlayerWindowController& player = app.player();
        if (fromQueue)
            player.showUpcomingTracks();
        QWidget* window = fromQueue ? player.queueWindow()->window() : player.window();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        using Shown = bool (PlayerWindowController::*)() const;
        for (const auto& [key, title, preference, shown] :
             std::vector<std::tuple<char, QString, QString, Shown>>{
                 {'L', "LED-Pegelanzeige", "LEDVisible", &PlayerWindowController::isLEDVisible},
                 {'W', "Waveform-Anzeige", "WaveformVisible",
                  &PlayerWindowController::isWaveformVisible},
                 {'S', "Spektrumanalyzer", "SpectrumVisible",
                  &PlayerWindowController::isSpectrumVisible},
                 {'U', "Loop-Steuerung", "LoopControlsVisible",
                  &PlayerWindowController::areLoopControlsVisible},
                 {'R', "Shuffle", "ShuffleEnabled", &PlayerWindowController::isShuffleEnabled},
                 {'D', "Vintage-Design", "VintageDesign",
                  &PlayerWindowController::isVintageDesignEnabled}}) {
            const QStringList checked = checkedItems(app);
            for (const bool on : {!(player.*shown)(), (player.*shown)()}) {
                pressKey(window, key);
                EXPECT_EQ((player.*shown)(), on) << title.toStdString() << fromQueue;
                // Its own check mark follows; the others stay.
                EXPECT_EQ(checkedItems(app).contains(title), on);
                EXPECT_EQ(checkedItems(app).size() - on, checked.size() - checked.contains(title));
                const QString entry = preference + (on ? "=true" : "=false");
                EXPECT_TRUE(QString(app.storedPreferences()).contains(entry))
                    << entry.toStdString();
            }
        }
    }
}

TEST(AppMenuTest, InTheTapeDeckOnlyShuffleAndTheDesignKeysActAndLeavingItRestoresTheDisplays)
{
    AppHarness app(storedVintage);
    launch(app);
    QWidget* window = app.player().window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const QStringList checked = checkedItems(app);
    for (const char key : {'L', 'W', 'S', 'U'})
        pressKey(window, key);
    EXPECT_EQ(checkedItems(app), checked);
    EXPECT_EQ(app.storedPreferences(), "[General]\n" + storedVintage);

    pressKey(window, 'R');
    pressKey(window, 'D');
    EXPECT_EQ(checkedItems(app), QStringList({"Beim Start fortsetzen", "Spektrumanalyzer",
                                              "System gesteuert", "Titel"}));
    EXPECT_TRUE(disabledItems(app).isEmpty());
    EXPECT_FALSE(app.player().isLEDVisible() || app.player().isWaveformVisible());
    EXPECT_EQ(app.storedPreferences(),
              "[General]\nLEDVisible=no\nReplayGainEnabled=yes\nShuffleEnabled=false\n"
              "StandardAppearance=Dark\nVintageDesign=false\nWaveformVisible=false\n");
}

TEST(AppMenuTest, TheItemsWithoutKeysColourEveryWindowShowAboutAndFindTheManualBuiltOrInstalled)
{
    AppHarness app;
    app.delegate.applicationWillFinishLaunching();
    app.delegate.openFiles({"/m/a.mp3", "/m/b.mp3"});
    app.player().showUpcomingTracks();
    // The item chosen, the desktop's dark-style preference, and whether the windows are dark.
    for (const auto& [item, desktopDark, dark] :
         {std::tuple("Dunkel Modus", false, true), std::tuple("Hell Modus", true, false),
          std::tuple("System gesteuert", true, true),
          std::tuple("System gesteuert", false, false)}) {
        trigger(app, item);
        app.delegate.setDesktopPrefersDark(desktopDark);
        QCoreApplication::processEvents(); // windows take the application's palette from events
        for (QWidget* window :
             {app.player().window()->centralWidget(), app.player().queueWindow()->window()})
            EXPECT_EQ(QColor(window->grab().toImage().pixel(3, 3)).lightness() < 128, dark) << item;
    }
    EXPECT_EQ(app.storedPreferences(), "[General]\nStandardAppearance=system\n");
    trigger(app, "Beim Start fortsetzen");
    EXPECT_FALSE(checkedItems(app).contains("Beim Start fortsetzen"));
    trigger(app, "Automatisch");
    EXPECT_EQ(app.player().replayGainMode(), ReplayGainMode::Automatic);
    EXPECT_TRUE(checkedItems(app).contains("Automatisch") && !checkedItems(app).contains("Aus"));
    // Stopping after the track is for this track alone: it is not stored.
    trigger(app, "Nach diesem Titel anhalten");
    EXPECT_TRUE(app.player().stopsAfterCurrentTrack());
    EXPECT_EQ(app.storedPreferences(), "[General]\nReplayGainMode=auto\nResumeOnLaunch=false\n"
                                       "StandardAppearance=system\n");

    app.delegate.setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(23, 59)); });
    QList<QUrl> opened;
    app.delegate.setURLOpener([&opened](const QUrl& url) { opened << url; });
    trigger(app, "Über Kassolin");
    trigger(app, "Dokumentation");
    const AlertPresenter::Alert& about = app.alerts.alerts.at(0);
    EXPECT_EQ(about.title + '|' + about.messageText + '|' + about.informativeText,
              "Über Kassolin|Kassolin|Version " KASSOLIN_VERSION
              "\nLizenz: GNU GPL, Version 3 oder später\n6. Dezember 2026");
    EXPECT_FALSE(about.icon.isNull());
    EXPECT_EQ(opened, QList{QUrl::fromLocalFile(QDir(KASSOLIN_BINARY_DIR).canonicalPath() +
                                                "/share/doc/kassolin/index.html")});
    const QTemporaryDir prefix;
    const QString installed = prefix.filePath("share/doc/kassolin/index.html");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(installed).path()) &&
                QFile(installed).open(QFile::WriteOnly));
    EXPECT_EQ(AppDelegate::documentationURL(prefix.filePath("bin")),
              QUrl::fromLocalFile(installed));
}
