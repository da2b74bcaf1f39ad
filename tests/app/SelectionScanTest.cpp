#include "app/AppDelegate.h"

#include "app/FolderEnumerator.h"
#include "support/FolderTree.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

TEST(SelectionScan, CollectsEachMP3OnceInSelectionOrderWithEachFolderSortedNaturally)
{
    const FolderTree tree({"a.mp3", "B.MP3", "c.wav", "d/Track 10.mp3", "d/Track 2.mp3",
                           "d/track 1.mp3", "d/.hidden.mp3", "d/.h/x.mp3", "d/sub/deep/z.mp3",
                           "d/x.mp3/inner.mp3", "d/notes.txt", "links/"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("fifo.mp3")).constData(), 0600), 0);
    QFile::link(tree.path("a.mp3"), tree.path("links/song.mp3"));
    QFile::link(tree.path("links"), tree.path("links/loop"));
    QFile::link(tree.path("d"), tree.path("links/folder.mp3"));
    const struct
    {
        QStringList selection, expected;
    } cases[] = {
        {{"a.mp3", "B.MP3", "c.wav", "fifo.mp3"}, {"a.mp3", "B.MP3", "fifo.mp3"}},
        {{"d/Track 2.mp3", "d"},
         {"d/Track 2.mp3", "d/sub/deep/z.mp3", "d/track 1.mp3", "d/Track 10.mp3",
          "d/x.mp3/inner.mp3"}},
        {{"links", "a.mp3"}, {"links/song.mp3", "a.mp3"}},
    };
    for (const auto& c : cases) {
        bool hitLimit = true;
        EXPECT_EQ(AppDelegate::playlistURLsFromSelection(tree.urls(c.selection), &hitLimit),
                  tree.urls(c.expected));
        EXPECT_FALSE(hitLimit);
    }
}

TEST(SelectionScan, FolderWithTheDeviceAndInodeOfOneSeenBeforeIsNotEntered)
{
    const FolderTree tree({"top/a.mp3", "top/mount/b.mp3"});
    // top/mount stands for a bind mount of top inside itself.
    const QByteArray mount = QFile::encodeName(tree.path("top/mount"));
    const QByteArray top = QFile::encodeName(tree.path("top"));
    FolderEnumerator walk(tree.path("top"), [&](const QByteArray& path, struct stat* status, bool) {
        return ::stat((path == mount ? top : path).constData(), status);
    });
    QStringList found;
    while (const auto entry = walk.next())
        found << entry->path;
    found.sort();
    EXPECT_EQ(found, QStringList({tree.path("top/a.mp3"), tree.path("top/mount")}));
}

TEST(SelectionScan, UnreadableFoldersArePassedOver)
{
    const FolderTree tree({"a.mp3", "locked/x.mp3", "open/b.mp3"});
    // Root reads every folder, so the walk runs as nobody, who may only pass through the tree.
    ::chmod(QFile::encodeName(tree.path()).constData(), 0755);
    ::chmod(QFile::encodeName(tree.path("locked")).constData(), 0);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::getuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                 ::setgid(65534) == 0 && ::setuid(65534) == 0);
        const QByteArray found =
            dropped ? QUrl::toStringList(
                          AppDelegate::playlistURLsFromSelection(tree.urls({""}), nullptr))
                          .join('\n')
                          .toUtf8()
                    : "";
        ::_exit(::write(ends[1], found.constData(), found.size()) == found.size() ? 0 : 1);
    }
    ::close(ends[1]);
    QByteArray output(4096, '\0');
    output.resize(std::max<ssize_t>(::read(ends[0], output.data(), output.size()), 0));
    ::close(ends[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(QFile::encodeName(tree.path("locked")).constData(), 0700);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, QUrl::toStringList(tree.urls({"a.mp3", "open/b.mp3"})).join('\n').toUtf8());
}
