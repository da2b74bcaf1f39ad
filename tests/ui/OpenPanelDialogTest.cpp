#include "ui/OpenPanelDialog.h"

#include "ui/OpenPanelPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// A home of its own with music and desktop folders named in its user-dirs.dirs, and volumes
// mounted as udisks and as a system mounts them.
struct Desktop
{
    Desktop()
    {
        for (const char* folder : {"home/Musik/Album", "home/Schreibtisch", "config",
                                   "media/usb-stick", "run/media/hoerer/Platte"})
            QDir().mkpath(root.filePath(folder));
        QFile dirs(root.filePath("config/user-dirs.dirs"));
        if (dirs.open(QIODevice::WriteOnly))
            dirs.write("XDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                       "XDG_DOWNLOAD_DIR=\"$HOME/\"\n");
        QFile(path("home/Musik/Album/eins.mp3")).open(QIODevice::WriteOnly);
        qputenv("HOME", QFile::encodeName(path("home")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("USER", "hoerer");
    }
    QString path(const char* relative) const { return root.filePath(relative); }

    QTemporaryDir root;
};

} // namespace

TEST(OpenPanelDialogTest, ListsHomeTheUserFoldersThatExistAndTheVolumesAndStartsInTheMusic)
{
    const Desktop desktop;
    EXPECT_EQ(openPanelPlaces({desktop.path("media"), desktop.path("run/media")}),
              QList<OpenPanelPlace>({{"Persönlicher Ordner", desktop.path("home")},
                                     {"Musik", desktop.path("home/Musik")},
                                     {"Schreibtisch", desktop.path("home/Schreibtisch")},
                                     {"usb-stick", desktop.path("media/usb-stick")},
                                     {"Platte", desktop.path("run/media/hoerer/Platte")}}));
    EXPECT_EQ(openPanelStartFolder(""), desktop.path("home/Musik"));
    EXPECT_EQ(openPanelStartFolder(desktop.path("media")), desktop.path("media"));
    QDir(desktop.path("home/Musik")).removeRecursively();
    EXPECT_EQ(openPanelStartFolder(""), desktop.path("home"));
}

// The folder shown is the tree's top: a place, a typed path, a double-click and the way up move
// it, and what it holds is chosen, folders and files together.
TEST(OpenPanelDialogTest, TheShownFolderIsTheTreesTopAndFoldersAndFilesAreChosenTogether)
{
    const Desktop desktop;
    OpenPanelDialog panel;
    const QString music = desktop.path("home/Musik"), album = music + "/Album";
    QTimer::singleShot(0, &panel, [&] {
        EXPECT_EQ(panel.shownFolder(), music);
        QTreeView* tree = panel.treeView();
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel.model()->rowCount(tree->rootIndex()); }));
        EXPECT_EQ(panel.model()->filePath(panel.model()->index(0, 0, tree->rootIndex())), album);
        QListWidget* places = panel.placesList();
        Q_EMIT places->itemClicked(places->findItems("Schreibtisch", Qt::MatchExactly).value(0));
        EXPECT_EQ(panel.shownFolder(), desktop.path("home/Schreibtisch"));
        panel.locationField()->setText(album);
        Q_EMIT panel.locationField()->returnPressed();
        EXPECT_EQ(panel.shownFolder(), album);
        QTest::keyClick(tree, Qt::Key_Backspace);
        EXPECT_EQ(panel.shownFolder() + '|' + panel.locationField()->text(), music + '|' + music);
        Q_EMIT tree->activated(panel.model()->index(album)); // a double-click
        EXPECT_EQ(panel.shownFolder(), album);
        QTest::keyClick(&panel, Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(panel.shownFolder(), music);
        const QModelIndex file = panel.model()->index(album + "/eins.mp3");
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel.model()->rowCount(file.parent()) > 0; }));
        for (const QModelIndex& chosen : {file, panel.model()->index(album)})
            tree->selectionModel()->select(chosen,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        panel.accept(); // as Öffnen does
    });
    const QList<QUrl> chosen = panel.runModal("MP3 öffnen");
    EXPECT_EQ(chosen,
              QList<QUrl>({QUrl::fromLocalFile(album + "/eins.mp3"), QUrl::fromLocalFile(album)}));
}
