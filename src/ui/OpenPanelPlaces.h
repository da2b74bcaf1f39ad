#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The places the open panel lists beside its tree: the home folder, the desktop's music,
// desktop and download folders (from its user-dirs.dirs), and the mounted volumes.
struct OpenPanelPlace
{
    QString title;
    QString path;

    bool operator==(const OpenPanelPlace&) const = default;
};

// Those that exist, each folder once, in that order; a user folder that is the home folder
// itself (as where none is set) is left out.
QList<OpenPanelPlace> openPanelPlaces(const QStringList& mountBases = {
                                          QStringLiteral("/media"), QStringLiteral("/run/media")});

// The volumes mounted under each base: its folders, and under a folder named after the user
// (where udisks mounts them) that folder's folders instead; base by base, sorted by name.
QStringList mountedVolumes(const QStringList& mountBases, const QString& userName);

// Where the panel opens: the folder last opened, else the music folder, else home; each only
// while it exists.
QString openPanelStartFolder(const QString& lastFolder);
