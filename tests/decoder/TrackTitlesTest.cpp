#include "decoder/TrackTitles.h"

#include <tuple>

#include <gtest/gtest.h>

TEST(TrackTitlesTest, AreTheTagTitleWholeOrElseTheFileNameWithoutItsLastExtensionShortened)
{
    // tag title, file, title; a hidden file's dot starts no extension
    const std::tuple<QString, QString, QString> titles[] = {
        {"", "/nowhere/Lied.Nummer 1.mp3", "Lied.Nummer 1"},
        {"", "/nowhere/.mp3", ".mp3"},
        {"", "/nowhere/ohne", "ohne"},
        {"Ein Titel, der länger ist als die Zeile des Fensters", "/nowhere/a.mp3",
         "Ein Titel, der länger ist als die Zeile des Fensters"}};
    for (const auto& [tag, file, title] : titles)
        EXPECT_EQ(trackTitle(tag, QUrl::fromLocalFile(file)), title) << file.toStdString();
    // The title line shows at most 35 units: a longer title keeps 32 and "...", 31 where 32
    // would cut a surrogate pair in two.
    const QString digits = QStringLiteral("12345678901234567890123456789012345");
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
    const std::pair<QString, QString> shortened[] = {
        {digits, digits},
        {digits + "6", digits.left(32) + "..."},
        {digits.left(31) + emoji + "xyz", digits.left(31) + "..."},
        {digits.left(30) + emoji + "abcd", digits.left(30) + emoji + "..."}};
    for (const auto& [title, shown] : shortened)
        EXPECT_EQ(titleForDisplay(title), shown) << title.toStdString();
}
