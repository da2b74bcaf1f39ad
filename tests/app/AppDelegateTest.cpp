#include "app/AppDelegate.h"

#include "app/FolderEnumerator.h"
#include "audio/WorkQueue.h"
#include "player/SavedSession.h"
#include "support/AppHarness.h"

#include <sys/stat.h>

#include <csignal>

#include <map>
#include <tuple>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// Empty files in a private temporary folder, named by paths relative to it ("x/" is a folder).
struct FolderTree : QTemporaryDir
{
    explicit FolderTree(const QStringList& entries = {}) { add(entries); }

    QList<QUrl> urls(const QStringList& relatives) const
    {
        QList<QUrl> urls;
        for (const QString& relative : relatives)
            urls << QUrl::fromLocalFile(filePath(relative));
        return urls;
    }
    void add(const QStringList& entries) const
    {
        for (const QString& entry : entries) {
            QDir().mkpath(QFileInfo(filePath(entry)).path());
            QFile(filePath(entry)).open(QIODevice::WriteOnly);
        }
    }
};

} // namespace

TEST(AppDelegateTest, StartupMP3URLTakesTheFirstMP3ArgumentThatIsNoOption)
{
    const QString here = QDir::currentPath(), nul(QChar(0));
    for (const auto& [arguments, expected] : std::vector<std::pair<QStringList, QString>>{
             {{"kassolin", "--verbose", "song.mp3", "other.mp3"}, here + "/song.mp3"},
             {{"kassolin", "file:///music/Loud.MP3"}, "/music/Loud.MP3"},
             {{"kassolin", "file://localhost/music/a%20b.mp3"}, "/music/a b.mp3"},
             {{"kassolin", "file://host/a.mp3", "-", "b.mp3.txt", "c.mp3x", "/d.Mp3"}, "/d.Mp3"},
             {{"kassolin", "file:///a%00b.mp3", "/a" + nul + "b.mp3", "-e.mp3"}, ""}})
        EXPECT_EQ(AppDelegate::startupMP3URL(arguments).path(), expected) << expected.toStdString();
}

TEST(AppDelegateTest, LaunchPlaysTheCommandLineFileOrShowsThePanelUnlessTheDesktopOpenedFiles)
{
    // Arguments, the desktop's request, the playlist, the reply (-1: none), panels shown.
    for (const auto& [arguments, request, playlist, reply, panels] :
         std::vector<std::tuple<QStringList, QStringList, QStringList, int, int>>{
             {{"kassolin", "/m/a.mp3"}, {}, {"/m/a.mp3"}, -1, 0},
             {{"kassolin"}, {}, {}, -1, 1},
             {{"kassolin"}, {"/m/notes.txt"}, {}, AppDelegate::replyFailure, 0},
             {{"kassolin", "/m/b.mp3"}, {"/m/a.mp3"}, {"/m/b.mp3"}, 0, 0}}) {
        AppHarness app;
        int replied = -1;
        app.delegate.setArguments(arguments);
        if (!request.isEmpty())
            app.delegate.openFiles(request, [&](int status) { replied = status; });
        app.delegate.applicationDidFinishLaunching();
        EXPECT_EQ(app.playlist(), playlist);
        EXPECT_EQ(replied, reply);
        EXPECT_EQ(app.panel.titles, QStringList(panels, "MP3s oder Ordner auswählen"));
        // The cancelled first panel ends the program; every other launch shows the window.
        EXPECT_EQ(app.terminations, panels);
        EXPECT_EQ(app.player().window()->isVisible(), panels == 0);
        EXPECT_TRUE(app.opened());
        EXPECT_EQ(app.player().player() && app.player().player()->isPlaying(), !playlist.isEmpty());
    }
}

TEST(AppDelegateTest, ThePlaceIsKeptAtEveryLoadPauseStopAndQuitAndALaunchWithoutFilesResumesIt)
{
    const FolderTree tree({"a.mp3", "b.mp3"});
    const QList<QUrl> urls = tree.urls({"a.mp3", "b.mp3"});
    AppHarness app;
    const auto stored = [&app] {
        QString problem;
        return SavedSession::read(app.sessionPath, &problem).value_or(SavedSession{});
    };
    const auto storedSoon = [&stored](const SavedSession& expected) {
        return QTest::qWaitFor([&] { return stored() == expected; }, 10000);
    };
    const auto player = [](AppHarness& app) {
        EXPECT_TRUE(app.opened());
        return static_cast<FakeAudioPlayer*>(app.player().player());
    };
    app.delegate.openURLs(urls);
    EXPECT_TRUE(storedSoon((SavedSession{urls, 0, 0.0, false})));
    player(app)->time = 30.0;
    app.player().pause();
    EXPECT_TRUE(storedSoon((SavedSession{urls, 0, 30.0, true})));
    app.player().stop();
    EXPECT_TRUE(storedSoon((SavedSession{urls, 0, 0.0, false})));
    app.player().playNextTrack();
    // While a track plays, its position alone waits for the timer or the quit.
    player(app)->time = 42.0;
    app.player().setShuffleEnabled(true);
    EXPECT_TRUE(storedSoon((SavedSession{urls, 1, 0.0, false})));
    const SavedSession ticked{urls, 1, 42.0, false}; // by the timer, every ten seconds
    EXPECT_TRUE(QTest::qWaitFor([&] { return stored() == ticked; }, 25000));
    // A write that failed is made again at the next chance, even with nothing changed since.
    QFile::remove(app.sessionPath);
    QDir().mkdir(app.sessionPath);
    app.player().stepVolume(-3);
    app.player().pause();
    app.delegate.quit();
    QDir().rmdir(app.sessionPath);
    // A logout, a closed terminal or a service manager's stop quits as the menu does.
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::raise(signalNumber);
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.terminations == 4; }, 10000));
    EXPECT_EQ(stored(), (SavedSession{urls, 1, 42.0, true, 0.85f}));

    QFile::remove(tree.filePath("a.mp3"));
    // Stored preferences, arguments, files the launch adds (--enqueue), whether the session
    // comes back. Added files join the session, or are the list without it.
    for (const auto& [preferences, arguments, added, resumed] :
         std::vector<std::tuple<QByteArray, QStringList, QStringList, bool>>{
             {"", {"kassolin"}, {}, true},
             {"", {"kassolin"}, {"/m/c.mp3"}, true},
             {"ResumeOnLaunch=false", {"kassolin"}, {}, false},
             {"ResumeOnLaunch=false", {"kassolin"}, {"/m/c.mp3"}, false},
             {"", {"kassolin", "/m/c.mp3"}, {}, false}}) {
        AppHarness next(preferences);
        QDir().mkpath(QFileInfo(next.sessionPath).path());
        QFile::copy(app.sessionPath, next.sessionPath);
        next.delegate.setArguments(arguments);
        next.delegate.applicationWillFinishLaunching();
        next.delegate.applicationDidFinishLaunching(added);
        EXPECT_TRUE(next.player().window()->isVisible() || !next.panel.titles.isEmpty());
        EXPECT_EQ(next.panel.titles.size(),
                  arguments.size() == 1 && !resumed && added.isEmpty() ? 1 : 0);
        EXPECT_TRUE(next.scanFinishes());
        EXPECT_EQ(next.player().volume(), 0.85f); // whatever the launch opens
        if (!resumed) {
            EXPECT_EQ(next.playlist(), arguments.mid(1) + added);
            continue;
        }
        // The entries are looked for off the main thread; the window shows before.
        EXPECT_EQ(next.playlist(), QStringList{tree.filePath("b.mp3")} + added);
        EXPECT_TRUE(next.opened());
        EXPECT_TRUE(next.player().isPaused());
        EXPECT_EQ(player(next)->currentTime(), 42.0);
        next.player().startPlayback();
        EXPECT_TRUE(player(next)->isPlaying() && player(next)->currentTime() == 42.0);
    }
}

TEST(AppDelegateTest, OpenRequestsPlayOnlyTheirMP3sAndAreAnsweredBeforeAnyAlert)
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
        EXPECT_TRUE(app.opened());
        EXPECT_EQ(reply == AppDelegate::replySuccess, !playlist.isEmpty());
        EXPECT_EQ(app.playlist(), playlist.isEmpty() ? before : playlist);
    }
    EXPECT_EQ(replyDuringAlert, AppDelegate::replySuccess);
    app.delegate.openURLs({QUrl::fromLocalFile("/m/folder")});
    EXPECT_FALSE(app.delegate.openFile("/m/notes.txt"));
    EXPECT_EQ(app.playlist(), QStringList{"/m/broken.mp3"});
}

TEST(AppDelegateTest, SelectionEndsTheProgramOnlyWithoutAWindowWhenCancelledOrWithoutMP3s)
{
    const FolderTree tree({"waves/c.wav"});
    for (const auto& [choice, windowShown] :
         {std::pair(QList<QUrl>{}, true), std::pair(tree.urls({"waves"}), false),
          std::pair(tree.urls({"waves"}), true)}) {
        AppHarness app;
        app.panel.choices = {choice};
        if (windowShown) {
            app.delegate.openPlayerWithFile(QUrl::fromLocalFile("/m/a.mp3"), true);
            app.player().ejectButtonPressed(nullptr); // eject asks the delegate for the panel
        } else {
            app.delegate.chooseFile(nullptr);
        }
        ASSERT_TRUE(app.scanFinishes());
        EXPECT_EQ(app.alerts.alerts.size(), choice.isEmpty() ? 0u : 1u);
        for (const auto& alert : app.alerts.alerts)
            EXPECT_EQ(alert.messageText, "Keine MP3-Dateien gefunden.");
        EXPECT_EQ(app.terminations, windowShown ? 0 : 1);
    }
}

TEST(AppDelegateTest, SelectionTakesTheFirst500FoundSortedAndAlertsUnlessARequestCameMeanwhile)
{
    // Folder sizes, tracks taken of each, dropped instead of chosen, a request during the alert.
    for (const auto& [folderSizes, taken, dropped, requestDuringAlert] :
         std::vector<std::tuple<std::vector<int>, std::vector<int>, bool, bool>>{
             {{620}, {500}, false, false},
             {{500}, {500}, false, false},
             {{300, 300}, {300, 200}, false, false},
             {{300, 300}, {300, 200}, true, false},
             {{620}, {500}, false, true}}) {
        FolderTree tree;
        QList<QUrl> selection, expected;
        for (std::size_t folder = 0; folder < folderSizes.size(); ++folder) {
            for (int file = 1; file <= folderSizes[folder]; ++file)
                tree.add({QStringLiteral("f%1/Track %2.mp3").arg(folder).arg(file)});
            selection << tree.urls({QStringLiteral("f%1").arg(folder)});
            std::map<int, QUrl> firstFound; // by track number
            FolderEnumerator walk(selection.last().toLocalFile());
            for (auto entry = walk.next(); entry && std::cmp_less(firstFound.size(), taken[folder]);
                 entry = walk.next())
                firstFound[QFileInfo(entry->path).baseName().mid(6).toInt()] =
                    QUrl::fromLocalFile(entry->path);
            for (const auto& [number, url] : firstFound)
                expected << url;
        }
        AppHarness app;
        app.panel.choices = {selection};
        if (requestDuringAlert)
            app.alerts.whileOpen = [&] { app.delegate.openFiles({"/m/late.mp3"}); };
        if (dropped)
            app.drop(selection, {5, 5});
        else
            app.delegate.chooseFile(nullptr);
        ASSERT_TRUE(app.scanFinishes());
        ASSERT_EQ(app.alerts.alerts.size(), folderSizes == taken ? 0u : 1u);
        for (const auto& alert : app.alerts.alerts)
            EXPECT_EQ(alert.messageText + alert.informativeText,
                      "Warteschlange begrenztEs wurden die ersten 500 MP3-Dateien übernommen.");
        EXPECT_EQ(app.player().playlist(),
                  requestDuringAlert ? QList{QUrl::fromLocalFile("/m/late.mp3")} : expected);
    }
}

TEST(AppDelegateTest, AFolderAndAFileDroppedOnEitherLookBecomeThePlaylistOrWithCtrlJoinIt)
{
    const FolderTree tree({"d/b.mp3", "d/a.mp3", "d/notes.txt", "c.mp3", "e.txt"});
    for (const bool vintage : {false, true}) {
        AppHarness app;
        app.player().setVintageDesignEnabled(vintage);
        const QPoint middle = app.player().window()->rect().center();
        EXPECT_TRUE(app.drop(tree.urls({"d", "c.mp3", "e.txt"}), middle));
        ASSERT_TRUE(app.scanFinishes());
        EXPECT_TRUE(app.drop(tree.urls({"c.mp3"}), middle, Qt::ControlModifier));
        ASSERT_TRUE(app.scanFinishes());
        EXPECT_EQ(app.player().playlist(), tree.urls({"d/a.mp3", "d/b.mp3", "c.mp3", "c.mp3"}))
            << vintage;
    }
}

TEST(AppDelegateTest, ClosingTheLastWindowEndsTheProgramUnlessASelectionIsScanned)
{
    for (const auto& [scanning, queueOpen, terminations] :
         {std::tuple(false, false, 1), std::tuple(true, false, 0), std::tuple(false, true, 0)}) {
        AppHarness app;
        app.delegate.openFiles({"/m/a.mp3", "/m/b.mp3"});
        if (queueOpen)
            app.player().showUpcomingTracks();
        // A disk that hangs holds every thread of the files' lane, and the scan behind them.
        QSemaphore disk;
        for (int job = 0; job < 16; ++job)
            WorkQueue::lane(WorkLane::Files).run([&disk] { disk.acquire(); });
        if (scanning)
            app.delegate.enqueueFiles({"/m/c.mp3"});
        app.player().window()->close();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(app.terminations, terminations) << scanning << queueOpen;
        disk.release(16);
        EXPECT_TRUE(app.scanFinishes());
    }
}

TEST(AppDelegateTest, CollectsEachMP3OnceInSelectionOrderWithEachFolderSortedNaturally)
{
    const FolderTree tree({"a.mp3", "B.MP3", "c.wav", "d/Track 10.mp3", "d/Track 2.mp3",
                           "d/track 1.mp3", "d/.hidden.mp3", "d/.h/x.mp3", "d/sub/deep/z.mp3",
                           "d/x.mp3/inner.mp3", "d/notes.txt", "links/"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.filePath("fifo.mp3")).constData(), 0600), 0);
    QFile::link(tree.filePath("a.mp3"), tree.filePath("links/song.mp3"));
    QFile::link(tree.filePath("links"), tree.filePath("links/loop"));
    QFile::link(tree.filePath("d"), tree.filePath("links/folder.mp3"));
    for (const auto& [selection, expected] : std::vector<std::pair<QStringList, QStringList>>{
             {{"a.mp3", "B.MP3", "c.wav", "fifo.mp3"}, {"a.mp3", "B.MP3", "fifo.mp3"}},
             {{"d/Track 2.mp3", "d"},
              {"d/Track 2.mp3", "d/sub/deep/z.mp3", "d/track 1.mp3", "d/Track 10.mp3",
               "d/x.mp3/inner.mp3"}},
             {{"links", "a.mp3"}, {"links/song.mp3", "a.mp3"}}}) {
        bool hitLimit = true;
        EXPECT_EQ(AppDelegate::playlistURLsFromSelection(tree.urls(selection), &hitLimit),
                  tree.urls(expected));
        EXPECT_FALSE(hitLimit);
    }
}

TEST(AppDelegateTest, FolderWithTheDeviceAndInodeOfOneSeenBeforeIsNotEntered)
{
    const FolderTree tree({"top/a.mp3", "top/mount/b.mp3"});
    // top/mount stands for a bind mount of top inside itself.
    const QByteArray mount = QFile::encodeName(tree.filePath("top/mount"));
    const QByteArray top = QFile::encodeName(tree.filePath("top"));
    FolderEnumerator walk(tree.filePath("top"),
                          [&](const QByteArray& path, struct stat* status, bool) {
                              return ::stat((path == mount ? top : path).constData(), status);
                          });
    QStringList found;
    while (const auto entry = walk.next())
        found << entry->path;
    found.sort();
    EXPECT_EQ(found, QStringList({tree.filePath("top/a.mp3"), tree.filePath("top/mount")}));
}

namespace {

// Every way in takes as many files as a list holds, the first ones, and says so; files added from
// the menu follow the list while its track plays on. An addition to a full list is answered as a
// failure.
TEST(AppDelegateTest, EveryWayInKeepsTheFirst500AndAnAdditionToAFullListFails)
{
    QStringList many;
    QList<QUrl> manyURLs;
    for (int track = 0; track < 600; ++track) {
        many << QStringLiteral("/m/%1.mp3").arg(track);
        manyURLs << QUrl::fromLocalFile(many.back());
    }
    const QString limited =
        "Warteschlange begrenzt|Es wurden die ersten 500 MP3-Dateien übernommen.";
    const auto addFromTheMenu = [&](AppHarness& app) {
        app.delegate.openFiles({"/m/x.mp3"});
        EXPECT_TRUE(app.opened());
        const AudioPlayer* playing = app.player().player();
        app.panel.choices = {manyURLs.first(3), manyURLs};
        for (int choice = 0; choice < 2; ++choice) {
            app.delegate.addToPlaylist(nullptr);
            EXPECT_TRUE(app.scanFinishes());
        }
        EXPECT_TRUE(app.player().player() == playing && playing->isPlaying());
    };
    for (const auto& [openAll, list, alert] :
         std::vector<std::tuple<std::function<void(AppHarness&)>, QStringList, QString>>{
             {[&](AppHarness& app) { app.delegate.openFiles(many); }, many.first(500), limited},
             {[&](AppHarness& app) { app.delegate.openURLs(manyURLs); }, many.first(500), limited},
             {addFromTheMenu, QStringList{"/m/x.mp3"} + many.first(3) + many.first(496),
              "Warteschlange begrenzt|Es wurden 496 MP3-Dateien hinzugefügt."}}) {
        AppHarness app;
        openAll(app);
        ASSERT_TRUE(app.opened());
        EXPECT_EQ(app.playlist(), list);
        ASSERT_EQ(app.alerts.alerts.size(), 1u);
        EXPECT_EQ(app.alerts.alerts[0].messageText + '|' + app.alerts.alerts[0].informativeText,
                  alert);
        int reply = -1;
        app.delegate.enqueueFiles({"/m/late.mp3"}, [&](int status) { reply = status; });
        ASSERT_TRUE(app.scanFinishes());
        EXPECT_EQ(reply, AppDelegate::replyFailure);
        EXPECT_EQ(app.playlist().size(), 500);
    }
}

// Selections are used in the order they were made, however long each takes to scan, also when
// one ends while an alert of another is up; the program waits for all of them.
TEST(AppDelegateTest, SelectionsAreUsedInTheOrderMadeAlsoWhileAnAlertIsUp)
{
    FolderTree tree;
    QStringList big, huge, expected{"/m/x.mp3"};
    for (int track = 0; track < 620; ++track) // a folder each: a slow scan
        (track < 400 ? big : huge)
            << QStringLiteral("%1/%2/t.mp3").arg(track < 400 ? "big" : "huge").arg(track);
    tree.add(big + huge);
    for (const QUrl& url : tree.urls(big))
        expected << url.toLocalFile();
    AppHarness app;
    app.delegate.openFiles({"/m/x.mp3"});
    ASSERT_TRUE(app.opened());
    // The folders first, then a single file, which is scanned at once.
    app.panel.choices = {tree.urls({"big"})};
    app.delegate.addToPlaylist(nullptr);
    app.delegate.enqueueFiles({"/m/late.mp3"});
    ASSERT_TRUE(app.scanFinishes());
    expected << "/m/late.mp3";
    EXPECT_EQ(app.playlist(), expected);

    // An addition made while a limited selection's alert is up joins the list chosen.
    app.panel.choices = {tree.urls({"big", "huge"})};
    int reply = -1;
    app.alerts.whileOpen = [&] {
        if (reply != -1)
            return; // one addition, not one for each alert it brings
        app.delegate.enqueueFiles({"/m/during.mp3"}, [&](int status) { reply = status; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply != -1; }, 10000));
    };
    app.delegate.chooseFile(nullptr);
    ASSERT_TRUE(app.scanFinishes());
    EXPECT_EQ(reply, AppDelegate::replyFailure); // the chosen list is full
    EXPECT_EQ(app.playlist().size(), 500);
    EXPECT_FALSE(app.playlist().contains("/m/during.mp3"));
}

} // namespace
