#include "analysis/TrackTags.h"

#include "decoder/Mp3Decoder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The cover's file, written unless a cover of the same content is there; empty for data that
// is no image, or when the folder cannot be written.
QUrl coverFile(const QByteArray& image, const QString& folder)
{
    const QMimeType type = QMimeDatabase().mimeTypeForData(image);
    if (!type.name().startsWith(QLatin1String("image/")) || !QDir().mkpath(folder))
        return {};
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha1).toHex());
    const QString path = QDir(folder).filePath(name + QLatin1Char('.') + type.preferredSuffix());
    if (!QFileInfo::exists(path)) {
        // Written beside and renamed into place: a reader never sees half a picture.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit())
            return {};
    }
    return QUrl::fromLocalFile(path);
}

} // namespace

QString coverCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kassolin");
}

TrackTags readTrackTags(const QUrl& url, const QString& coverFolder)
{
    if (!url.isLocalFile())
        return {};
    const auto cover = coverFolder.isEmpty() ? Mp3Decoder::Cover::Skip : Mp3Decoder::Cover::Read;
    const std::unique_ptr<Mp3Decoder> decoder =
        Mp3Decoder::open(url.toLocalFile(), nullptr, Mp3Decoder::Length::Estimated, cover);
    if (!decoder)
        return {};
    TrackTags tags{decoder->title(), decoder->artist(), decoder->album(), {}};
    if (!decoder->cover().isEmpty())
        tags.coverURL = coverFile(decoder->cover(), coverFolder);
    return tags;
}
