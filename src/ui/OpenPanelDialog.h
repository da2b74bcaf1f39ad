#pragma once

#include "ui/OpenPanelPresenter.h"

#include <QDialog>

class QBoxLayout;
class QDialogButtonBox;
class QFileSystemModel;
class QLayout;
class QLineEdit;
class QTreeView;

// The open panel: a tree of the file system that shows folders and MP3 files (the extension
// in any case, hidden entries left out) and picks any mix of them, several at once. Qt's own
// file dialog picks either files or folders, never both. It opens where the last choice was
// made; a folder can also be typed into its location field.
class OpenPanelDialog final : public QDialog, public OpenPanelPresenter
{
    Q_OBJECT

public:
    explicit OpenPanelDialog(QWidget* parent = nullptr);

    QList<QUrl> runModal(const QString& title) override;

    // The chosen entries, in the order they were picked.
    QList<QUrl> selectedURLs() const;
    void showFolder(const QString& path);
    QFileSystemModel* model() const { return m_model; }
    QTreeView* treeView() const { return m_treeView; }

private:
    QLayout* buildLocationRow();
    void addPlaceButton(QBoxLayout* row, const QString& title, const QString& folder);
    QDialogButtonBox* buildButtons();
    void activate(const QModelIndex& index);
    void scrollToShownFolder();

    QFileSystemModel* m_model = nullptr;
    QTreeView* m_treeView = nullptr;
    QLineEdit* m_location = nullptr;
    QString m_lastFolder;
    QString m_shownFolder;
};
