#include "player/SavedSession.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString playlistKey = QStringLiteral("playlist");
const QString indexKey = QStringLiteral("index");
const QString positionKey = QStringLiteral("position");
const QString pausedKey = QStringLiteral("paused");
const QString volumeKey = QStringLiteral("volume");

std::optional<QJsonObject> sessionObject(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (file.size() > SavedSession::fileSizeLimit) {
        *problem = QStringLiteral("zu groß");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(file.read(SavedSession::fileSizeLimit), &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || !object.value(playlistKey).isArray()) {
        *problem = QStringLiteral("keine Sitzung");
        return std::nullopt;
    }
    return object;
}

// A finite, non-negative number of seconds, else the beginning.
double positionFrom(const QJsonValue& value)
{
    const double seconds = value.toDouble();
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

// 0 … 1; full where none was stored (an older version's file) or it is no number.
float volumeFrom(const QJsonValue& value)
{
    const double volume = value.toDouble(1.0);
    return std::isfinite(volume) ? static_cast<float>(std::clamp(volume, 0.0, 1.0)) : 1.0f;
}

} // namespace

QString SavedSession::defaultPath()
{
    // A relative setting counts as none, as the XDG base directories demand.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kassolin/session.json");
}

bool SavedSession::namesMP3(const QString& path)
{
    return QDir::isAbsolutePath(path) && !path.contains(QChar(0)) &&
           path.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
}

bool SavedSession::isPlayableEntry(const QString& path)
{
    return namesMP3(path) && QFileInfo(path).isFile();
}

std::optional<SavedSession> SavedSession::read(const QString& path, QString* problem,
                                               const EntryTest& test)
{
    const std::optional<QJsonObject> object = sessionObject(path, problem);
    if (!object)
        return std::nullopt;
    // An entry that fails the test stands as an empty URL, so that the others keep their places.
    // A longer list than a list may hold (written by an older version) keeps its first entries.
    QList<QUrl> entries;
    for (const QJsonValue& entry : object->value(playlistKey).toArray()) {
        if (entries.size() == SavedSession::entryLimit)
            break;
        const QString file = entry.toString();
        entries.append(test(file) ? QUrl::fromLocalFile(file) : QUrl());
    }
    const SavedSession place{.playlist = {},
                             .index = 0,
                             .position = positionFrom(object->value(positionKey)),
                             .paused = object->value(pausedKey).toBool(),
                             .volume = volumeFrom(object->value(volumeKey))};
    return fromEntries(entries, object->value(indexKey).toDouble(-1.0), place,
                       [&entries](qsizetype entry) { return !entries[entry].isEmpty(); });
}

std::optional<SavedSession>
SavedSession::keeping(const std::function<bool(qsizetype entry)>& kept) const
{
    return fromEntries(playlist, static_cast<double>(index), *this, kept);
}

std::optional<SavedSession> SavedSession::fromEntries(const QList<QUrl>& entries,
                                                      double storedIndex, const SavedSession& place,
                                                      const std::function<bool(qsizetype)>& kept)
{
    SavedSession session;
    session.volume = place.volume;
    bool currentKept = false;
    for (qsizetype entry = 0; entry < entries.size(); ++entry) {
        if (!kept(entry))
            continue;
        currentKept = currentKept || entry == storedIndex;
        if (entry < storedIndex)
            ++session.index;
        session.playlist.append(entries[entry]);
    }
    if (session.playlist.isEmpty())
        return std::nullopt;
    session.index = std::min(session.index, session.playlist.size() - 1);
    if (currentKept) {
        session.position = place.position;
        session.paused = place.paused;
    }
    return session;
}

bool SavedSession::write(const QString& path) const
{
    QJsonArray entries;
    for (const QUrl& url : playlist)
        entries.append(url.toLocalFile());
    const QJsonObject object{{playlistKey, entries},
                             {indexKey, index},
                             {positionKey, std::isfinite(position) ? position : 0.0},
                             {pausedKey, paused},
                             {volumeKey, std::isfinite(volume) ? volume : 1.0}};
    QSaveFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
}
