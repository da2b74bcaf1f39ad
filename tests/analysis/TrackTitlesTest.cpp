#include "analysis/TrackTitles.h"
#include "support/FixtureFiles.h"

#include <gtest/gtest.h>

TEST(FileTitle, IsTheFileNameWithoutItsLastExtensionShortened)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/music/Song.Name.mp3", "Song.Name"},
        {"/music/.mp3", ".mp3"},
        {"/A very long file name that goes on and on.mp3", "A very long file name that goes ..."}};
    for (const auto& [path, title] : cases)
        EXPECT_EQ(fileTitleForURL(QUrl::fromLocalFile(QString::fromUtf8(path))),
                  QString::fromUtf8(title));
}

TEST(DisplayTitle, KeepsAtMost35CodeUnitsAndNoHalfOfASurrogatePair)
{
    const QString digits = QStringLiteral("12345678901234567890123456789012345");
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5"); // two code units
    const std::pair<QString, QString> cases[] = {
        {digits, digits},
        {digits + QStringLiteral("6"), digits.left(32) + QStringLiteral("...")},
        // A pair at units 31 and 32 would be cut in two: it goes whole.
        {digits.left(31) + emoji + QStringLiteral("xyz"), digits.left(31) + QStringLiteral("...")},
        {digits.left(30) + emoji + QStringLiteral("abcd"),
         digits.left(30) + emoji + QStringLiteral("...")}};
    for (const auto& [title, shown] : cases)
        EXPECT_EQ(titleForDisplay(title), shown) << title.toStdString();
}

TEST(ReadableTitle, IsTheTagTitleShortenedOrElseTheFileTitle)
{
    FixtureFiles files;
    const std::pair<std::optional<std::string>, QString> cases[] = {
        {"", QStringLiteral("Lied.Nummer 1")},
        {"Eine sehr lange Überschrift für ein kurzes Stück",
         QStringLiteral("Eine sehr lange Überschrift für ...")}};
    for (const auto& [tag, title] : cases) {
        Mp3Options options;
        options.id3v2Title = tag;
        const QString path =
            files.writeMp3(QStringLiteral("Lied.Nummer 1.mp3"), silence(44100, 2, 4410), options);
        EXPECT_EQ(readableTitleForURL(QUrl::fromLocalFile(path)), title);
    }
    EXPECT_EQ(readableTitleForURL(QUrl::fromLocalFile(files.path(QStringLiteral("Fehlt.mp3")))),
              QStringLiteral("Fehlt"));
}
