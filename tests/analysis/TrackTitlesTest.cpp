#include "analysis/TrackTitles.h"
#include "support/FixtureFiles.h"

#include <gtest/gtest.h>

namespace {

struct FileTitleCase
{
    const char* path;
    const char* title;
};

class FileTitle : public ::testing::TestWithParam<FileTitleCase>
{};

TEST_P(FileTitle, IsTheFileNameWithoutItsLastExtension)
{
    EXPECT_EQ(fileTitleForURL(QUrl::fromLocalFile(QString::fromUtf8(GetParam().path))),
              QString::fromUtf8(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileTitle,
    ::testing::Values(FileTitleCase{"/music/Song.Name.mp3", "Song.Name"},
                      FileTitleCase{"/music/Song.MP3", "Song"},
                      FileTitleCase{"/music/Ohne Endung", "Ohne Endung"},
                      FileTitleCase{"/music/.mp3", ".mp3"},
                      FileTitleCase{"/music/Grüße aus Köln.mp3", "Grüße aus Köln"},
                      FileTitleCase{"/music/A very long file name that goes on and on.mp3",
                                    "A very long file name that goes ..."}));

struct DisplayCase
{
    QString title;
    QString shown;
};

class DisplayTitle : public ::testing::TestWithParam<DisplayCase>
{};

TEST_P(DisplayTitle, KeepsAtMost35CodeUnits)
{
    EXPECT_EQ(titleForDisplay(GetParam().title), GetParam().shown);
}

const QString thirtyFive = QStringLiteral("12345678901234567890123456789012345");
const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5"); // one character, two code units

INSTANTIATE_TEST_SUITE_P(
    Titles, DisplayTitle,
    ::testing::Values(DisplayCase{QString(), QString()}, DisplayCase{thirtyFive, thirtyFive},
                      DisplayCase{thirtyFive + QStringLiteral("6"),
                                  thirtyFive.left(32) + QStringLiteral("...")},
                      // A pair at units 31 and 32 would be cut in two: it goes whole.
                      DisplayCase{thirtyFive.left(31) + emoji + QStringLiteral("xyz"),
                                  thirtyFive.left(31) + QStringLiteral("...")},
                      // A pair at units 30 and 31 fits.
                      DisplayCase{thirtyFive.left(30) + emoji + QStringLiteral("abcd"),
                                  thirtyFive.left(30) + emoji + QStringLiteral("...")},
                      // 35 code units of pairs stay whole, even though they are 18 characters.
                      DisplayCase{emoji.repeated(17) + QStringLiteral("x"),
                                  emoji.repeated(17) + QStringLiteral("x")}));

struct ReadableCase
{
    const char* name;
    std::optional<std::string> id3v2;
    QString expected;
};

void PrintTo(const ReadableCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReadableTitle : public ::testing::TestWithParam<ReadableCase>
{};

TEST_P(ReadableTitle, IsTheTagTitleOrElseTheFileTitle)
{
    FixtureFiles files;
    Mp3Options options;
    options.id3v2Title = GetParam().id3v2;
    const QString path =
        files.writeMp3(QStringLiteral("Lied.Nummer 1.mp3"), silence(44100, 2, 4410), options);
    EXPECT_EQ(readableTitleForURL(QUrl::fromLocalFile(path)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ReadableTitle,
    ::testing::Values(ReadableCase{"Tagged", "Morgenstimmung", QStringLiteral("Morgenstimmung")},
                      ReadableCase{"EmptyTag", "", QStringLiteral("Lied.Nummer 1")},
                      ReadableCase{"Untagged", std::nullopt, QStringLiteral("Lied.Nummer 1")},
                      ReadableCase{"LongTag", "Eine sehr lange Überschrift für ein kurzes Stück",
                                   QStringLiteral("Eine sehr lange Überschrift für ...")}),
    [](const ::testing::TestParamInfo<ReadableCase>& info) {
        return std::string(info.param.name);
    });

TEST(ReadableTitle, AFileThatCannotBeReadHasItsFileTitle)
{
    FixtureFiles files;
    for (const auto& file : files.unopenableFiles()) {
        const QUrl url = QUrl::fromLocalFile(file.path);
        EXPECT_EQ(readableTitleForURL(url), fileTitleForURL(url)) << file.kind;
    }
    const QUrl remote(QStringLiteral("https://example.org/Stück.mp3"));
    EXPECT_EQ(readableTitleForURL(remote), QStringLiteral("Stück"));
}

} // namespace
