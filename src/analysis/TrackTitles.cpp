#include "analysis/TrackTitles.h"

#include "audio/Mp3Decoder.h"

namespace {

constexpr qsizetype longestTitle = 35;
constexpr qsizetype keptUnits = 32;

} // namespace

QString fileTitleForURL(const QUrl& url)
{
    QString name = url.adjusted(QUrl::StripTrailingSlash).fileName();
    // A leading dot marks a hidden file, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return titleForDisplay(name);
}

QString titleForDisplay(const QString& title)
{
    if (title.size() <= longestTitle)
        return title;
    qsizetype kept = keptUnits;
    if (title.at(kept - 1).isHighSurrogate())
        --kept;
    return title.left(kept) + QStringLiteral("...");
}

QString titleForDisplay(const QString& tagTitle, const QUrl& url)
{
    return tagTitle.isEmpty() ? fileTitleForURL(url) : titleForDisplay(tagTitle);
}

QString readableTitleForURL(const QUrl& url)
{
    if (url.isLocalFile()) {
        const std::unique_ptr<Mp3Decoder> decoder =
            Mp3Decoder::open(url.toLocalFile(), nullptr, Mp3Decoder::Length::Estimated);
        if (decoder)
            return titleForDisplay(decoder->title(), url);
    }
    return fileTitleForURL(url);
}
