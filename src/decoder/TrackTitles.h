#pragma once

#include <QString>
#include <QUrl>

// The title of a track, as the title line, the desktop's media controls, the sound server's
// mixer and the tools name it. Safe on any thread: they read only their arguments.

// The tag's title when it is not empty, whole; otherwise the file name without its last
// extension ("Song.Name.mp3" gives "Song.Name").
QString trackTitle(const QString& tagTitle, const QUrl& url);

// At most 35 UTF-16 code units, for the title line: a longer title keeps its first 32 and gains
// "...", one unit fewer where the cut would split a surrogate pair.
QString titleForDisplay(const QString& title);

// The title line of a track whose tags are not read (yet).
QString fileTitleForURL(const QUrl& url);
