#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QUrl>

// Where the user left off: the playlist, its current entry, the position in that entry,
// whether it was paused, and the volume. A launch without files comes back to it.
struct SavedSession
{
    // More than a selection ever gives: a file with more entries is not ours.
    static constexpr qsizetype entryLimit = 500;
    // Far above what entryLimit paths take, and still read in a millisecond or two.
    static constexpr qint64 fileSizeLimit = 1024 * 1024;

    QList<QUrl> playlist;
    qint64 index = 0;
    double position = 0.0;
    bool paused = false;
    float volume = 1.0f; // the player's, whatever the list

    // $XDG_STATE_HOME/kassolin/session.json, or under ~/.local/state where that is not set.
    static QString defaultPath();
    // Whether a stored entry could have been played: an absolute path that names an MP3.
    static bool namesMP3(const QString& path);
    // ... and the file is still there: this waits for the disk it is on.
    static bool isPlayableEntry(const QString& path);
    using EntryTest = std::function<bool(const QString& path)>;

    // The session stored at `path` with the entries that fail `test` dropped; an entry dropped
    // before the current one moves it up, and a current entry dropped starts the next one from
    // its beginning. Nothing when no entry is left or there is no file; nothing, with the reason
    // in `problem`, when the file is too large or no session.
    static std::optional<SavedSession> read(const QString& path, QString* problem,
                                            const EntryTest& test = isPlayableEntry);
    // This session with only the entries whose place in the list `kept` gives, dropped as read()
    // drops them.
    std::optional<SavedSession> keeping(const std::function<bool(qsizetype entry)>& kept) const;
    // Written whole or not at all: a crash while writing leaves the last session in place.
    bool write(const QString& path) const;

    bool operator==(const SavedSession&) const = default;

private:
    // `storedIndex` as stored: it may name no entry.
    static std::optional<SavedSession> fromEntries(const QList<QUrl>& entries, double storedIndex,
                                                   const SavedSession& place,
                                                   const std::function<bool(qsizetype)>& kept);
};
