#pragma once

#include "ui/OpenPanelPresenter.h"

#include <QDialog>

class QDialogButtonBox;
class QFileSystemModel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

// The open panel: a tree of one folder's folders and MP3 files (the extension in any case,
// hidden entries left out) that picks any mix of them, several at once. Qt's own file dialog
// picks either files or folders, never both. It opens where the last choice was made, else in
// the music folder, else at home; a double-click goes into a folder, "Übergeordneter Ordner"
// (Alt+Up, Backspace) up, and a folder can also be typed into its location field or picked from
// the places beside the tree.
class OpenPanelDialog final : public QDialog, public OpenPanelPresenter
{
    Q_OBJECT

public:
    explicit OpenPanelDialog(QWidget* parent = nullptr);

    QList<QUrl> runModal(const QString& title) override;
    // Qt's own save dialog, in the home folder, proposing an M3U8 file.
    QString runSaveModal(const QString& title) override;

    // The chosen entries, in the order they were picked.
    QList<QUrl> selectedURLs() const;
    void showFolder(const QString& path);
    // The folder at the tree's top.
    QString shownFolder() const;
    void showParentFolder();
    QFileSystemModel* model() const { return m_model; }
    QTreeView* treeView() const { return m_treeView; }
    QListWidget* placesList() const { return m_places; }
    QLineEdit* locationField() const { return m_location; }

private:
    QLayout* buildLocationRow();
    QListWidget* buildPlacesList();
    void listPlaces();
    QDialogButtonBox* buildButtons();
    void activate(const QModelIndex& index);

    QFileSystemModel* m_model = nullptr;
    QTreeView* m_treeView = nullptr;
    QLineEdit* m_location = nullptr;
    QListWidget* m_places = nullptr;
    QPushButton* m_upButton = nullptr;
    QString m_lastFolder;
};
