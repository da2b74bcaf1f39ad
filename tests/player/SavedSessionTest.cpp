// Runs with no application object: the saved session is files and JSON only.
#include "player/SavedSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SessionFolder : QTemporaryDir
{
    // Empty MP3 files, and a folder whose name looks like one.
    SessionFolder()
    {
        for (const char* name : {"a.mp3", "b.MP3", "c.mp3", "notes.txt"})
            QFile(filePath(name)).open(QIODevice::WriteOnly);
        QDir(path()).mkdir("folder.mp3");
    }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(filePath(name)); }
    std::optional<SavedSession> stored(const QByteArray& contents, QString* problem) const
    {
        QFile file(session);
        file.open(QIODevice::WriteOnly);
        file.write(contents);
        file.close();
        return SavedSession::read(session, problem);
    }

    const QString session = filePath("state/kassolin/session.json");
};

TEST(SavedSessionTest, ComesBackWithoutTheEntriesThatAreGoneAndKeepsThePlaceIfItsEntryIsLeft)
{
    const SessionFolder folder;
    const QUrl gone = folder.url("gone.mp3");
    const QList<QUrl> kept = {folder.url("a.mp3"), folder.url("b.MP3"), folder.url("c.mp3")};
    // The list, the entry, what comes back at which entry, with the position and pause kept.
    for (const auto& [playlist, index, expectedIndex, placeKept] :
         std::vector<std::tuple<QList<QUrl>, qint64, qint64, bool>>{
             {{kept[0], gone, kept[1], kept[2]}, 2, 1, true},
             {{kept[0], gone, kept[1], folder.url("notes.txt"), kept[2]}, 1, 1, false},
             {{kept[0], kept[1], kept[2], folder.url("folder.mp3")}, 3, 2, false},
             {{QUrl("https://example.org/x.mp3"), kept[0], kept[1], kept[2]}, 3, 2, true}}) {
        ASSERT_TRUE((SavedSession{playlist, index, 75.5, true}.write(folder.session)));
        QString problem;
        const std::optional<SavedSession> read = SavedSession::read(folder.session, &problem);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, (SavedSession{kept, expectedIndex, placeKept ? 75.5 : 0.0, placeKept}));
        EXPECT_EQ(problem, "");
    }
    ASSERT_TRUE((SavedSession{{gone}, 0, 1.0, false}.write(folder.session)));
    QString problem;
    EXPECT_FALSE(SavedSession::read(folder.session, &problem));
    EXPECT_FALSE(SavedSession::read(folder.filePath("none.json"), &problem));
    EXPECT_EQ(problem, "");
}

TEST(SavedSessionTest, AFileThatIsNoSessionIsIgnoredWithItsReasonAndATooLongListCut)
{
    const SessionFolder folder;
    QDir().mkpath(QFileInfo(folder.session).path());
    const QByteArray a = QFile::encodeName(folder.filePath("a.mp3"));
    QByteArray many = "{\"playlist\":[";
    for (int entry = 0; entry <= SavedSession::entryLimit; ++entry)
        many += "\"" + a + "\",";
    many.back() = ']';
    for (const auto& [contents, reason] : std::vector<std::pair<QByteArray, QString>>{
             {"{\"playlist\":[\"" + a + "\"", "keine Sitzung"},
             {"[\"" + a + "\"]", "keine Sitzung"},
             {"{\"playlist\":\"" + a + "\"}", "keine Sitzung"},
             {"{\"playlist\":[\"" + a + "\"]," + QByteArray(11 << 20, ' ') + "}", "zu groß"}}) {
        QString problem;
        EXPECT_FALSE(folder.stored(contents, &problem));
        EXPECT_EQ(problem, reason);
    }
    // A list longer than a list may hold is its first entries, at its place.
    QString problem;
    const auto longer = folder.stored(many + ",\"index\":3,\"position\":12}", &problem);
    ASSERT_TRUE(longer);
    EXPECT_EQ(std::tuple(longer->playlist.size(), longer->index, longer->position),
              std::tuple(SavedSession::entryLimit, 3LL, 12.0));
    // Odd values inside a session fall back to the start of the list.
    const auto odd =
        folder.stored("{\"playlist\":[\"" + a + "\", 7, \"a.mp3\", \"" + a + "\\u0000\"]," +
                          "\"index\":\"2\",\"position\":-4,\"paused\":\"yes\"}",
                      &problem);
    ASSERT_TRUE(odd);
    EXPECT_EQ(*odd, (SavedSession{{folder.url("a.mp3")}, 0, 0.0, false}));
}

} // namespace
