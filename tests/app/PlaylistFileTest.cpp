// Playlist files as other players write them, hostile ones, and the list saved and opened again.
#include "app/PlaylistFile.h"

#include "support/AppHarness.h"
#include "support/FixtureFiles.h"

#include <sys/stat.h>

#include <QDir>

#include <gtest/gtest.h>

namespace {

class PlaylistFileTest : public ::testing::Test
{
protected:
    PlaylistFileTest()
    {
        QDir().mkpath(files.path("sub"));
        for (const char* name : {"a.mp3", "sub/c.mp3", "b ä.mp3", "#1.mp3", "other.ogg"})
            QFile(files.path(name)).open(QIODevice::WriteOnly);
    }
    QString writeList(const QString& name, const QByteArray& bytes)
    {
        QFile list(files.path(name));
        EXPECT_TRUE(list.open(QIODevice::WriteOnly) && list.write(bytes) == bytes.size());
        return list.fileName();
    }
    QStringList scanned(const QString& list, AppDelegate::ListsRead* lists = nullptr)
    {
        bool hitLimit = false;
        return QUrl::toStringList(AppDelegate::playlistURLsFromSelection(
                                      {QUrl::fromLocalFile(list)}, &hitLimit, {}, {}, lists),
                                  QUrl::PreferLocalFile);
    }
    QStringList paths(const QStringList& names) const
    {
        QStringList found;
        for (const QString& name : names)
            found << files.path(name);
        return found;
    }

    FixtureFiles files;
};

// Relative, absolute and file:// entries, in the list's order; what is no MP3 here is counted.
TEST_F(PlaylistFileTest, ListsOfOtherProgramsGiveTheirMP3sInOrderAndCountTheRest)
{
    const QByteArray absolute = QFile::encodeName(files.path("a.mp3"));
    const QByteArray url = QUrl::fromLocalFile(files.path("b ä.mp3")).toEncoded();
    // Name, contents, the entries found, how many are passed over.
    const std::tuple<QString, QByteArray, QStringList, int> lists[] = {
        {"bom.m3u8",
         "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:12,Eins\r\nsub/c.mp3\r\n" + absolute +
             "\r\nhttp://radio/x.mp3\r\nother.ogg\r\nmissing.mp3\r\n" + url + "\r\n",
         {"sub/c.mp3", "a.mp3", "b ä.mp3"},
         3},
        {"latin1.m3u", "b \xE4.mp3\n\n  a.mp3  \nbom.m3u8\n", {"b ä.mp3", "a.mp3"}, 1},
        {"utf8.m3u", "./#1.mp3\nb \xC3\xA4.mp3\n", {"#1.mp3", "b ä.mp3"}, 0},
        {"order.pls",
         "[playlist]\r\nFile3=a.mp3\r\nTitle3=Drei\r\nfile1=sub/c.mp3\r\nFILE2=" + url +
             "\r\nNumberOfEntries=3\r\nFile4=sub\r\n",
         {"sub/c.mp3", "b ä.mp3", "a.mp3"},
         1}};
    for (const auto& [name, contents, expected, skipped] : lists) {
        AppDelegate::ListsRead read;
        EXPECT_EQ(scanned(writeList(name, contents), &read), paths(expected)) << name.toStdString();
        EXPECT_EQ(read.skippedEntries, skipped) << name.toStdString();
        EXPECT_TRUE(read.unreadable.isEmpty());
    }
    // Opened as the desktop opens files, it is the list, answered and told of what was left.
    AppHarness app;
    int reply = -1;
    app.delegate.openFiles({files.path("bom.m3u8"), files.path("a.mp3")},
                           [&](int status) { reply = status; });
    ASSERT_TRUE(app.scanFinishes());
    EXPECT_EQ(reply, AppDelegate::replySuccess);
    EXPECT_EQ(app.playlist(), paths({"sub/c.mp3", "a.mp3", "b ä.mp3"}));
    ASSERT_EQ(app.alerts.alerts.size(), 1u);
    EXPECT_EQ(app.alerts.alerts[0].messageText,
              "3 Einträge der Wiedergabeliste wurden übersprungen.");
}

// Missing, looping, huge, binary and special files: an alert or nothing, and the list stays.
TEST_F(PlaylistFileTest, AHostileListGivesAnAlertOrNothingAndKeepsThePlaylist)
{
    writeList("loop-a.m3u", "loop-b.m3u\na.mp3\n");
    writeList("loop-b.m3u", "loop-a.m3u\n");
    QByteArray binary(1 << 20, 'x');
    binary += "\nsub/c.mp3";
    binary += '\0'; // a NUL inside an entry
    binary += ".mp3\n/proc/self/mem\n/proc/kmsg.mp3\nsub/c.mp3\n";
    writeList("binary.m3u", binary);
    QFile huge(writeList("huge.m3u", "a.mp3\n"));
    ASSERT_TRUE(huge.resize(100 * 1024 * 1024)); // sparse: written in no time
    ASSERT_EQ(::mkfifo(QFile::encodeName(files.path("fifo.m3u")).constData(), 0600), 0);
    // The list, what it gives, how many entries are passed over, whether it is read.
    const std::tuple<QString, QStringList, int, bool> hostile[] = {
        {"loop-a.m3u", {"a.mp3"}, 1, true},
        {"binary.m3u", {"sub/c.mp3"}, 4, true},
        {"huge.m3u", {}, 0, false},
        {"fifo.m3u", {}, 0, false},
        {"gone.pls", {}, 0, false}};
    for (const auto& [name, expected, skipped, readable] : hostile) {
        AppDelegate::ListsRead read;
        EXPECT_EQ(scanned(files.path(name), &read), paths(expected)) << name.toStdString();
        EXPECT_EQ(std::pair(read.skippedEntries, read.unreadable.isEmpty()),
                  std::pair(skipped, readable))
            << name.toStdString();
    }
    AppHarness app;
    app.delegate.openFiles({files.path("a.mp3")});
    ASSERT_TRUE(app.opened());
    for (const char* name : {"huge.m3u", "fifo.m3u", "gone.pls"}) {
        app.alerts.alerts.clear();
        app.delegate.openURLs({QUrl::fromLocalFile(files.path(name))});
        ASSERT_TRUE(app.scanFinishes());
        EXPECT_EQ(app.playlist(), paths({"a.mp3"}));
        ASSERT_FALSE(app.alerts.alerts.empty());
        EXPECT_EQ(app.alerts.alerts[0].messageText + '|' + app.alerts.alerts[0].informativeText,
                  "Die Wiedergabeliste konnte nicht gelesen werden.|" + QString(name));
    }
}

// Saved and opened again, a list gives the same entries in the same order; its
// text is M3U8 with each entry's length and title, relative beneath the list's folder.
TEST_F(PlaylistFileTest, ASavedListOpensAsTheSameListAndAFailedSaveLeavesTheFileAlone)
{
    const QString tagged = files.writeMp3("sub/tagged.mp3", sineWave(440, 0.5, 44100, 2, 88200),
                                          {.id3v2Title = "Zwei Sekunden"});
    const FixtureFiles elsewhere;
    QFile(elsewhere.path(" spaced\n.mp3")).open(QIODevice::WriteOnly);
    const QStringList list = paths({"a.mp3", "#1.mp3"}) +
                             QStringList{tagged, elsewhere.path(" spaced\n.mp3")} +
                             paths({"a.mp3"});
    AppHarness app;
    app.delegate.openFiles(list);
    ASSERT_TRUE(app.opened());
    const auto save = [&](const QString& path) {
        app.panel.savePaths = {path};
        app.delegate.savePlaylist(nullptr);
    };
    const QString saved = files.path("saved.m3u8");
    save(saved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(saved).size() > 0; }, 10000));
    QFile text(saved);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().startsWith("#EXTM3U\n#EXTINF:-1,a\na.mp3\n#EXTINF:-1,#1\n./#1.mp3\n"
                                          "#EXTINF:2,Zwei Sekunden\nsub/tagged.mp3\n"));
    app.delegate.openFiles({list.first()});
    ASSERT_TRUE(app.opened());
    app.delegate.openURLs({QUrl::fromLocalFile(saved)});
    ASSERT_TRUE(app.scanFinishes());
    EXPECT_EQ(app.playlist(), list);

    QDir().mkpath(files.path("taken.m3u8")); // a folder where the file would go
    save(files.path("taken.m3u8"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app.alerts.alerts.empty(); }, 10000));
    EXPECT_EQ(app.alerts.alerts.back().messageText,
              "Die Wiedergabeliste konnte nicht gesichert werden.");
    EXPECT_TRUE(QFileInfo(files.path("taken.m3u8")).isDir());
}

} // namespace
