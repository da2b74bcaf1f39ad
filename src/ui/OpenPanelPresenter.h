#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Lets the user choose MP3 files and folders, several at once, or a file to save to, in a modal
// dialog.
class OpenPanelPresenter
{
public:
    virtual ~OpenPanelPresenter() = default;
    // The chosen files and folders as file URLs, in the dialog's order; empty when cancelled.
    virtual QList<QUrl> runModal(const QString& title) = 0;
    // The path of the playlist file to write, ending in a list's suffix; empty when cancelled.
    virtual QString runSaveModal(const QString& title) = 0;
};
