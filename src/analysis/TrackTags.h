#pragma once

#include <QString>
#include <QUrl>

// What the desktop's media controls show of a track besides its length: the texts of its tags
// and its embedded cover, written to a file that they can load.
struct TrackTags
{
    QString title; // whole, as the tag has it; empty without one
    QString artist;
    QString album;
    QUrl coverURL; // empty without a cover
};

// $XDG_CACHE_HOME/kassolin
QString coverCacheFolder();

// The tags of an MP3 file; empty for a file that cannot be read. The cover goes to
// `coverFolder` under a name made from its content (no cover is read for an empty folder), so that a cover shared by an album's
// tracks is written once and a file the desktop has loaded never changes under it. Opens the
// file, so it runs on an analysis thread; safe on any thread.
TrackTags readTrackTags(const QUrl& url, const QString& coverFolder = coverCacheFolder());
