#include "app/PlaylistFile.h"

#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"
#include "player/SavedSession.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No path on Linux is longer; a longer line names nothing here.
constexpr qsizetype longestPath = 4096;

bool hasSuffix(const QString& path, const char* suffix)
{
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// The file's bytes, or nothing when it is no regular file or too large. Opened without waiting,
// so that a pipe or a device named like a list cannot hold the scan.
std::optional<QByteArray> readBytes(const QString& path)
{
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    struct stat status = {};
    QByteArray bytes;
    bool whole = ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
                 status.st_size <= PlaylistFile::largestFile;
    // Files under /proc tell no size: the reading itself keeps to the limit.
    char buffer[65536];
    while (whole) {
        const ssize_t count = ::read(file, buffer, sizeof buffer);
        if (count <= 0)
            break;
        bytes.append(buffer, count);
        whole = bytes.size() <= PlaylistFile::largestFile;
    }
    ::close(file);
    return whole ? std::optional(bytes) : std::nullopt;
}

// UTF-8, with or without its byte-order mark; an .m3u that is no valid UTF-8 is Latin-1, as
// the players that wrote the first such lists wrote them.
QString decodedText(QByteArray bytes, const QString& path)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() && hasSuffix(path, ".m3u") ? QString::fromLatin1(bytes) : text;
}

// The entries in their order: the lines that are no comment, or the values of the FileN keys.
QStringList entryTexts(const QString& text, bool pls)
{
    static const QRegularExpression fileKey(QStringLiteral("^File(\\d+)=(.*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    std::vector<std::pair<qulonglong, QString>> numbered;
    QStringList entries;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed(); // and the \r of a CRLF end
        if (!pls && !line.isEmpty() && !line.startsWith(u'#'))
            entries << line;
        if (const auto match = pls ? fileKey.match(line) : QRegularExpressionMatch();
            match.hasMatch())
            numbered.emplace_back(match.capturedView(1).toULongLong(), match.captured(2).trimmed());
    }
    std::ranges::stable_sort(numbered, {}, &std::pair<qulonglong, QString>::first);
    for (auto& [number, entry] : numbered)
        entries << std::move(entry);
    return entries;
}

// The local path an entry names, relative ones from the list's folder; empty for anything else.
QString localPath(const QString& entry, const QDir& folder)
{
    if (entry.contains(QChar(0)) || entry.size() > longestPath)
        return {};
    if (entry.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(entry);
        const bool here = url.host().isEmpty() || url.host() == QLatin1String("localhost");
        return url.isLocalFile() && here ? url.toLocalFile() : QString();
    }
    if (entry.contains(QLatin1String("://")))
        return {};
    return QDir::cleanPath(folder.absoluteFilePath(entry));
}

// How a path is written so that reading gives it back: relative beneath the folder, a URL
// where a line end, edge spaces or a leading # would change it.
QString writtenPath(const QString& path, const QString& folder)
{
    if (path.contains(u'\n') || path.contains(u'\r') || path.trimmed() != path)
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    if (!path.startsWith(prefix))
        return path;
    const QString relative = path.mid(prefix.size());
    return relative.startsWith(u'#') ? QStringLiteral("./") + relative : relative;
}

} // namespace

bool PlaylistFile::isPlaylistPath(const QString& path)
{
    return hasSuffix(path, ".m3u") || hasSuffix(path, ".m3u8") || hasSuffix(path, ".pls");
}

PlaylistFile::Contents PlaylistFile::read(const QString& path, qsizetype room)
{
    Contents contents;
    const std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes) {
        contents.readable = false;
        return contents;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    for (const QString& entry : entryTexts(decodedText(*bytes, path), hasSuffix(path, ".pls"))) {
        const QString mp3 = localPath(entry, folder);
        if (!SavedSession::isPlayableEntry(mp3)) {
            ++contents.skipped;
        } else if (contents.mp3s.size() >= room) {
            contents.full = true;
            break;
        } else {
            contents.mp3s << QUrl::fromLocalFile(mp3);
        }
    }
    return contents;
}

QList<PlaylistFile::Entry> PlaylistFile::entriesOf(const QList<QUrl>& urls)
{
    QList<Entry> entries;
    for (const QUrl& url : urls) {
        // The headers' estimate: exact enough for a list, without reading every frame.
        const auto decoder =
            Mp3Decoder::open(url.toLocalFile(), nullptr, Mp3Decoder::Length::Estimated);
        const double seconds = decoder ? decoder->duration() : -1.0;
        const bool known = std::isfinite(seconds) && seconds >= 0.0 && seconds < 1e9;
        entries << Entry{.url = url,
                         .title = trackTitle(decoder ? decoder->title() : QString(), url),
                         .seconds = known ? int(std::lround(seconds)) : -1};
    }
    return entries;
}

QByteArray PlaylistFile::m3u8(const QList<Entry>& entries, const QString& folder)
{
    QString text = QStringLiteral("#EXTM3U\n");
    for (const Entry& entry : entries) {
        QString title = entry.title;
        title.replace(u'\r', u' ').replace(u'\n', u' ');
        text += QStringLiteral("#EXTINF:%1,%2\n%3\n")
                    .arg(entry.seconds)
                    .arg(title, writtenPath(entry.url.toLocalFile(), folder));
    }
    return text.toUtf8();
}

bool PlaylistFile::write(const QString& path, const QList<Entry>& entries, QString* problem)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(m3u8(entries, QFileInfo(path).absolutePath())) >= 0 &&
                         file.commit();
    if (!written && problem)
        *problem = file.errorString();
    return written;
}
