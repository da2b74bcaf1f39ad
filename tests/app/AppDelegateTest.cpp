#include "app/AppDelegate.h"

#include "app/FolderEnumerator.h"
#include "support/AppHarness.h"
#include "support/EventLoop.h"
#include "support/FolderTree.h"

#include <utility>

#include <QCoreApplication>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

bool scanFinishes(AppHarness& app)
{
    return processEventsUntil([&] { return !app.delegate.isLoadingSelection(); }, 30s);
}

} // namespace

TEST(AppDelegate, StartupMP3URLTakesTheFirstMP3ArgumentThatIsNoOption)
{
    const QString here = QDir::currentPath(), nul(QChar(0));
    for (const auto& [arguments, expected] : std::vector<std::pair<QStringList, QString>>{
             {{"kassolin", "--verbose", "song.mp3", "other.mp3"}, here + "/song.mp3"},
             {{"kassolin", "file:///music/Loud.MP3"}, "/music/Loud.MP3"},
             {{"kassolin", "file://localhost/music/a%20b.mp3"}, "/music/a b.mp3"},
             {{"kassolin", "file://host/a.mp3", "-", "b.mp3.txt", "c.mp3x", "/x/d.Mp3"},
              "/x/d.Mp3"},
             {{"kassolin", "file:///a%00b.mp3", "/a" + nul + "b.mp3", "-e.mp3"}, ""}})
        EXPECT_EQ(AppDelegate::startupMP3URL(arguments).toLocalFile(), expected)
            << expected.toStdString();
}

TEST(AppDelegate, LaunchPlaysTheCommandLineFileOrShowsThePanelUnlessTheDesktopOpenedFiles)
{
    const struct
    {
        QStringList arguments, request, playlist;
        int reply, panels;
    } cases[] = {{{"kassolin", "/m/a.mp3"}, {}, {"/m/a.mp3"}, -1, 0},
                 {{"kassolin"}, {}, {}, -1, 1},
                 {{"kassolin"}, {"/m/notes.txt"}, {}, AppDelegate::replyFailure, 0},
                 {{"kassolin", "/m/b.mp3"}, {"/m/a.mp3"}, {"/m/b.mp3"}, 0, 0}};
    for (const auto& c : cases) {
        AppHarness app;
        int menus = 0, reply = -1;
        app.panel.whileOpen = [&] { menus = app.player().window()->menuBar()->actions().size(); };
        app.delegate.setArguments(c.arguments);
        if (!c.request.isEmpty())
            app.delegate.openFiles(c.request, [&](int status) { reply = status; });
        app.delegate.applicationDidFinishLaunching();
        EXPECT_EQ(app.playlist(), c.playlist);
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(app.panel.titles, QStringList(c.panels, "MP3s oder Ordner auswählen"));
        EXPECT_EQ(menus, 2 * c.panels); // the panel comes after the menu
        // The cancelled first panel ends the program; every other launch shows the window.
        EXPECT_EQ(app.terminations, c.panels);
        EXPECT_EQ(app.isWindowShown(), c.panels == 0);
        EXPECT_EQ(app.players.last() && app.players.last()->isPlaying(), !c.playlist.isEmpty());
    }
}

TEST(AppDelegate, OpenRequestsPlayOnlyTheirMP3sAndAreAnsweredBeforeAnyAlert)
{
    AppHarness app;
    int reply = -1, replyDuringAlert = -1;
    app.alerts.whileOpen = [&] { replyDuringAlert = reply; };
    for (const auto& [paths, playlist] : std::vector<std::pair<QStringList, QStringList>>{
             {{"/m/folder", "/m/notes.txt", "/m/a.mp3"}, {"/m/a.mp3"}},
             {{"/m/x.mp3", "/m/y.MP3", "/m/z.mp3"}, {"/m/x.mp3", "/m/y.MP3", "/m/z.mp3"}},
             {{"/m/notes.txt"}, {}},
             {{}, {}},
             {{"/m/broken.mp3"}, {"/m/broken.mp3"}}}) {
        const QStringList before = app.playlist();
        app.delegate.openFiles(paths, [&](int status) { reply = status; });
        EXPECT_EQ(reply,
                  playlist.isEmpty() ? AppDelegate::replyFailure : AppDelegate::replySuccess);
        EXPECT_EQ(app.playlist(), playlist.isEmpty() ? before : playlist);
    }
    EXPECT_EQ(replyDuringAlert, AppDelegate::replySuccess);
    app.delegate.openURLs({QUrl::fromLocalFile("/m/folder")});
    EXPECT_FALSE(app.delegate.openFile("/m/notes.txt"));
    EXPECT_EQ(app.playlist(), QStringList{"/m/broken.mp3"});
}

TEST(AppDelegate, SelectionEndsTheProgramOnlyWithoutAWindowWhenCancelledOrWithoutMP3s)
{
    const FolderTree tree({"waves/c.wav"});
    for (const bool withMP3lessFolder : {false, true}) {
        for (const bool windowShown : {false, true}) {
            AppHarness app;
            app.panel.choices = {withMP3lessFolder ? tree.urls({"waves"}) : QList<QUrl>{}};
            if (windowShown) {
                app.delegate.openPlayerWithFile(QUrl::fromLocalFile("/m/a.mp3"), true);
                app.player().ejectButtonPressed(nullptr); // eject asks the delegate for the panel
            } else {
                app.delegate.chooseFile(nullptr);
            }
            ASSERT_TRUE(scanFinishes(app));
            EXPECT_EQ(app.panel.titles.size(), 1);
            EXPECT_EQ(app.alerts.alerts.size(), withMP3lessFolder ? 1u : 0u);
            for (const auto& alert : app.alerts.alerts)
                EXPECT_EQ(alert.messageText, "Keine MP3-Dateien gefunden.");
            EXPECT_EQ(app.terminations, windowShown ? 0 : 1);
        }
    }
}

TEST(AppDelegate, LimitedSelectionTakesTheFirst500FoundSortedAndAlertsUnlessARequestCameMeanwhile)
{
    const struct
    {
        std::vector<int> folderSizes, taken;
        bool requestDuringAlert;
    } cases[] = {{{620}, {500}, false},
                 {{500}, {500}, false},
                 {{300, 300}, {300, 200}, false},
                 {{620}, {500}, true}};
    for (const auto& c : cases) {
        FolderTree tree;
        QList<QUrl> selection, expected;
        for (std::size_t folder = 0; folder < c.folderSizes.size(); ++folder) {
            for (int file = 1; file <= c.folderSizes[folder]; ++file)
                tree.add({QStringLiteral("f%1/Track %2.mp3").arg(folder).arg(file)});
            selection << tree.urls({QStringLiteral("f%1").arg(folder)});
            std::vector<std::pair<int, QString>> found; // (number, path) in the walk's order
            FolderEnumerator walk(selection.last().toLocalFile());
            for (auto entry = walk.next(); entry && std::cmp_less(found.size(), c.taken[folder]);
                 entry = walk.next())
                found.emplace_back(QFileInfo(entry->path).baseName().mid(6).toInt(), entry->path);
            std::sort(found.begin(), found.end());
            for (const auto& [number, path] : found)
                expected << QUrl::fromLocalFile(path);
        }
        AppHarness app;
        app.panel.choices = {selection};
        if (c.requestDuringAlert)
            app.alerts.whileOpen = [&] { app.delegate.openFiles({"/m/late.mp3"}); };
        app.delegate.chooseFile(nullptr);
        ASSERT_TRUE(scanFinishes(app));
        const bool limited = c.folderSizes != c.taken;
        ASSERT_EQ(app.alerts.alerts.size(), limited ? 1u : 0u);
        if (limited) {
            EXPECT_EQ(app.alerts.alerts[0].messageText + app.alerts.alerts[0].informativeText,
                      "Warteschlange begrenztEs wurden die ersten 500 MP3-Dateien übernommen.");
        }
        EXPECT_EQ(app.player().playlist(),
                  c.requestDuringAlert ? QList{QUrl::fromLocalFile("/m/late.mp3")} : expected);
    }
}

TEST(AppDelegate, ClosingTheLastWindowEndsTheProgramUnlessASelectionIsScanned)
{
    for (const auto& [scanning, queueOpen, terminations] :
         {std::tuple(false, false, 1), std::tuple(true, false, 0), std::tuple(false, true, 0)}) {
        AppHarness app;
        app.delegate.openFiles({"/m/a.mp3", "/m/b.mp3"});
        if (queueOpen)
            app.player().showUpcomingTracks();
        app.delegate.setLoadingSelection(scanning);
        app.player().window()->close();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(app.terminations, terminations) << scanning << queueOpen;
    }
}
