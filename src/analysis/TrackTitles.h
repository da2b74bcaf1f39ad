#pragma once

#include <QString>
#include <QUrl>

// Titles of a track as the title line shows them. Safe on any thread: they read only their
// argument (and, for the readable title, the file).

// The file name without its last extension ("Song.Name.mp3" gives "Song.Name"), shortened.
QString fileTitleForURL(const QUrl& url);

// At most 35 UTF-16 code units: a longer title keeps its first 32 and gains "...", one unit
// fewer where the cut would split a surrogate pair.
QString titleForDisplay(const QString& title);

// `tagTitle` shortened when it is not empty; otherwise the file title of `url`.
QString titleForDisplay(const QString& tagTitle, const QUrl& url);

// The title from the file's ID3 tags when it has a non-empty one, shortened; otherwise the
// file title. Opens the file, so it runs on an analysis thread.
QString readableTitleForURL(const QUrl& url);
