#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Lets the user choose MP3 files and folders, several at once, in a modal dialog.
class OpenPanelPresenter
{
public:
    virtual ~OpenPanelPresenter() = default;
    // The chosen files and folders as file URLs, in the dialog's order; empty when cancelled.
    virtual QList<QUrl> runModal(const QString& title) = 0;
};
