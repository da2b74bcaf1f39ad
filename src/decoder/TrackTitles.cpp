#include "decoder/TrackTitles.h"

namespace {

constexpr qsizetype longestTitle = 35;
constexpr qsizetype keptUnits = 32;

} // namespace

QString trackTitle(const QString& tagTitle, const QUrl& url)
{
    if (!tagTitle.isEmpty())
        return tagTitle;
    QString name = url.adjusted(QUrl::StripTrailingSlash).fileName();
    // A leading dot marks a hidden file, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return name;
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

QString fileTitleForURL(const QUrl& url)
{
    return titleForDisplay(trackTitle({}, url));
}
