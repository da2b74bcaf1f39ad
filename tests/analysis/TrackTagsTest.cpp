#include "analysis/TrackTags.h"

#include "platform/Mp3Decoder.h"
#include "support/FixtureFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QUrl& url)
{
    QFile file(url.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace

TEST(TrackTags, AreTheTagTextsAndTheCoverWrittenOnceForEachImage)
{
    FixtureFiles files;
    const QTemporaryDir cache;
    const std::vector<unsigned char> red = pngImage(qRgb(255, 0, 0)),
                                     blue = pngImage(qRgb(0, 0, 255));
    const auto tagged = [&](const char* name, const char* artist, const auto& cover) {
        return QUrl::fromLocalFile(files.writeMp3(name, silence(44100, 2, 4410),
                                                  {.artist = artist,
                                                   .album = "Album",
                                                   .frontCover = cover,
                                                   .id3v2Title = name,
                                                   .id3v1Title = {}}));
    };
    // The file, its tags, the cover file's contents.
    const std::vector<std::tuple<QUrl, TrackTags, std::vector<unsigned char>>> cases{
        {tagged("Eins", "Band", red), {"Eins", "Band", "Album", {}}, red},
        {tagged("Zwei", "Andere", red), {"Zwei", "Andere", "Album", {}}, red},
        {tagged("Drei", "Band", blue), {"Drei", "Band", "Album", {}}, blue},
        {QUrl::fromLocalFile(files.writeMp3("Ohne.mp3", silence(44100, 2, 4410))), {}, {}},
        {QUrl::fromLocalFile(files.path("fehlt.mp3")), {}, {}}};
    QSet<QUrl> covers;
    for (const auto& [url, expected, cover] : cases) {
        const TrackTags tags = readTrackTags(url, cache.path());
        EXPECT_EQ(std::tie(tags.title, tags.artist, tags.album),
                  std::tie(expected.title, expected.artist, expected.album));
        EXPECT_EQ(tags.coverURL.isEmpty(), cover.empty());
        if (!cover.empty()) {
            EXPECT_EQ(contents(tags.coverURL),
                      QByteArray(reinterpret_cast<const char*>(cover.data()),
                                 static_cast<qsizetype>(cover.size())));
        }
        covers.insert(tags.coverURL);
    }
    // One file for each image; a decoder that does not ask for the cover keeps none.
    EXPECT_EQ(QDir(cache.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(covers.size(), 3); // two covers and none
    EXPECT_TRUE(Mp3Decoder::open(std::get<0>(cases[0]).toLocalFile())->cover().isEmpty());
}
