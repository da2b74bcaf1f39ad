#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Playlist files as other players write them (.m3u, .m3u8, .pls) read into the MP3s they name,
// and the playlist written as M3U8. Safe on any thread: reading and writing touch only the files
// named. Reading may wait on a slow disk, so it belongs on the files' lane.
class PlaylistFile
{
public:
    // A list larger than this is not read: no list of 500 tracks comes near it.
    static constexpr qint64 largestFile = 16 * 1024 * 1024;

    struct Contents
    {
        QList<QUrl> mp3s;  // in the list's order, at most the room asked for
        int skipped = 0;   // entries passed over: not an MP3 file of this machine
        bool full = false; // MP3s were left out for want of room
        bool readable = true;
    };

    struct Entry
    {
        QUrl url;
        QString title;
        int seconds = -1; // -1: unknown
    };

    static bool isPlaylistPath(const QString& path);

    // The MP3 files the list at `path` names that exist here, up to `room` of them. A list named
    // in a list is passed over, so lists that name each other end at once.
    static Contents read(const QString& path, qsizetype room);

    // Each file's title and length, as their headers give them.
    static QList<Entry> entriesOf(const QList<QUrl>& urls);
    // The entries as M3U8 text: each path relative to `folder` where it lies beneath it.
    static QByteArray m3u8(const QList<Entry>& entries, const QString& folder);
    // Writes the whole file or, failing, leaves what stood there; false with a German reason.
    static bool write(const QString& path, const QList<Entry>& entries, QString* problem);
};
