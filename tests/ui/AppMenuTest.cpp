#include "support/AppHarness.h"

#include "ui/QueueWindowController.h"

#include <QDir>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

void trigger(const AppHarness& app, const QString& title)
{
    for (QAction* item : app.player().window()->menuBar()->findChildren<QAction*>())
        if (item->text() == title)
            item->trigger();
}

// M: check marks ("x", "-"; "X", "_" disabled); L, W, S, U, R, D: LED meter, waveform, spectrum
// and loop row shown, shuffle, vintage; A: loop points; F: the preferences file.
QStringList observed(const AppHarness& app)
{
    QString marks;
    for (const QAction* item : app.player().window()->menuBar()->findChildren<QAction*>())
        if (item->isCheckable())
            marks += QString(item->isChecked() ? "xX" : "-_")[!item->isEnabled()];
    const PlayerWindowController& p = app.player();
    QStringList state{marks};
    for (const bool on :
         {p.isLEDVisible(), p.isWaveformVisible(), p.isSpectrumVisible(),
          p.areLoopControlsVisible(), p.isShuffleEnabled(), p.isVintageDesignEnabled()})
        state << (on ? "x" : "-");
    return state << QStringLiteral("%1 %2").arg(p.loopStart()).arg(p.loopEnd())
                 << app.storedPreferences();
}

} // namespace

TEST(AppMenu, LaunchAppliesTheStoreWritingNothingAndKeysWorkFromBothWindowsUnlessDisabled)
{
    // Each key with Ctrl and the fields of observed() it changes (in the vintage design, none).
    const QString keys = "D:MDF W: L: S: U: R:MRF D:MDF W:MWF L:MLF S:MSF U:MUF [:A ]:A \\:A";
    const QString toggled = "---xx---x - - - x x - LEDVisible=false LoopControlsVisible=true "
                            "ShuffleEnabled=true SpectrumVisible=false VintageDesign=false "
                            "WaveformVisible=false";
    // Stored, keys to the queue window, M to D after the launch, keys, M to D and file after.
    for (const auto& [stored, fromQueue, launched, pressed, after] :
         std::vector<std::tuple<QByteArray, bool, QString, QString, QString>>{
             {"", false, "xxx-x---- x x x - - -", keys, toggled},
             {"", true, "xxx-x---- x x x - - -", keys, toggled},
             {"LEDVisible=no\nShuffleEnabled=1\nStandardAppearance=Dark\nVintageDesign=true\n"
              "WaveformVisible=false",
              true, "XXX_X__xx x x x - x x", "W: L: S: U: R:MRF D:MLWDF",
              "--x-x---- - - x - - - LEDVisible=no ShuffleEnabled=false StandardAppearance=Dark "
              "VintageDesign=false WaveformVisible=false"}}) {
        AppHarness app(stored);
        app.delegate.setOpenedStartupFile(true); // no open panel at launch
        app.delegate.applicationDidFinishLaunching();
        QStringList titles;
        for (const QAction* item : app.player().window()->menuBar()->findChildren<QAction*>())
            titles << (item->isSeparator() ? "—" : item->text());
        EXPECT_EQ(titles.join(" | "),
                  "Kassolin | Über Kassolin | — | Kassolin beenden | Ablage | MP3 öffnen... | "
                  "Ansicht | LED-Pegelanzeige | Waveform-Anzeige | Spektrumanalyzer | "
                  "Loop-Steuerung | — | Standard-Design | System gesteuert | Hell Modus | "
                  "Dunkel Modus | — | Vintage-Design | Wiedergabe | Shuffle | — | A-Punkt setzen | "
                  "B-Punkt setzen | A/B-Loop löschen | Hilfe | Dokumentation");
        EXPECT_EQ(observed(app).mid(0, 7).join(' '), launched) << stored.data();
        EXPECT_EQ(app.storedPreferences(), stored.isEmpty() ? "" : "[General]\n" + stored);
        app.delegate.openFiles({"/m/a.mp3", "/m/b.mp3"});
        if (fromQueue)
            app.player().showUpcomingTracks();
        QWidget* window = fromQueue ? app.player().queueWindow()->window() : app.player().window();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        for (const QString& key : pressed.split(' ')) {
            const QStringList before = observed(app);
            QTest::keyClick(window, Qt::Key(key[0].unicode()), Qt::ControlModifier);
            QString changes = key.left(2);
            for (qsizetype field = 0; field < before.size(); ++field)
                if (before[field] != observed(app)[field])
                    changes += QStringLiteral("MLWSURDAF")[field];
            EXPECT_EQ(changes, key) << stored.data() << fromQueue;
        }
        const QStringList file = QString(app.storedPreferences()).split('\n').mid(1);
        EXPECT_EQ((observed(app).mid(0, 7) + file).join(' ').trimmed(), after);
    }
}

TEST(AppMenu, TheItemsWithoutKeysColourEveryWindowShowAboutAndOpenTheManual)
{
    AppHarness app;
    app.delegate.setOpenedStartupFile(true);
    app.delegate.applicationDidFinishLaunching();
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

    app.delegate.setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(23, 59)); });
    QList<QUrl> opened;
    app.delegate.setURLOpener([&opened](const QUrl& url) { opened << url; });
    trigger(app, "Über Kassolin");
    trigger(app, "Dokumentation");
    const AlertPresenter::Alert& about = app.alerts.alerts.at(0);
    EXPECT_EQ(about.title + '|' + about.messageText + '|' + about.informativeText,
              "Über Kassolin|Kassolin|Version " KASSOLIN_VERSION "\n6. Dezember 2026");
    EXPECT_FALSE(about.icon.isNull());
    const QString manual =
        QDir(KASSOLIN_BINARY_DIR).canonicalPath() + "/share/doc/kassolin/index.html";
    EXPECT_EQ(opened, QList{QUrl::fromLocalFile(manual)});
}
