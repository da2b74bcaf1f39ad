#include "analysis/TrackTitles.h"

#include <gtest/gtest.h>

TEST(TrackTitlesTest, AreTheTagTitleOrElseTheFileNameWithoutItsLastExtensionShortened)
{
    // A file that cannot be read shows its name without the extension.
    EXPECT_EQ(readableTitleForURL(QUrl::fromLocalFile("/nowhere/Lied.Nummer 1.mp3")),
              "Lied.Nummer 1");
    // At most 35 code units: a longer title keeps 32 and "...", 31 where 32 would cut a
    // surrogate pair in two.
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
