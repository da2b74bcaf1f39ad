#include "ui/OpenPanelPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString userFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return QFileInfo(folder).isDir() && QDir(folder) != QDir::home() ? folder : QString();
}

QStringList folders(const QString& parent)
{
    QStringList found;
    const QDir dir(parent);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        found << dir.filePath(name);
    return found;
}

} // namespace

QList<OpenPanelPlace> openPanelPlaces(const QStringList& mountBases)
{
    QList<OpenPanelPlace> places{{QStringLiteral("Persönlicher Ordner"), QDir::homePath()}};
    const std::pair<const char*, QStandardPaths::StandardLocation> userFolders[] = {
        {"Musik", QStandardPaths::MusicLocation},
        {"Schreibtisch", QStandardPaths::DesktopLocation},
        {"Downloads", QStandardPaths::DownloadLocation}};
    for (const auto& [title, location] : userFolders)
        if (const QString folder = userFolder(location); !folder.isEmpty())
            places.append({QString::fromUtf8(title), folder});
    for (const QString& volume : mountedVolumes(mountBases, qEnvironmentVariable("USER")))
        places.append({QFileInfo(volume).fileName(), volume});
    // The same folder under two names is listed once, under the first.
    QList<OpenPanelPlace> unique;
    for (const OpenPanelPlace& place : places)
        if (std::ranges::none_of(unique, [&](const auto& kept) { return kept.path == place.path; }))
            unique << place;
    return unique;
}

QStringList mountedVolumes(const QStringList& mountBases, const QString& userName)
{
    QStringList volumes;
    for (const QString& base : mountBases)
        for (const QString& folder : folders(base))
            volumes << (QFileInfo(folder).fileName() == userName ? folders(folder)
                                                                 : QStringList(folder));
    return volumes;
}

QString openPanelStartFolder(const QString& lastFolder)
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    const QString music = userFolder(QStandardPaths::MusicLocation);
    return music.isEmpty() ? QDir::homePath() : music;
}
