#include "player/PlayerTestFixture.h"

#include "player/AlertPresenter.h"
#include "views/ElidedLabel.h"

#include <tuple>

#include <QCoreApplication>

namespace {

using PlayerLoadingTest = PlayerTest;

TEST_F(PlayerLoadingTest, UnopenableEntriesAreSkippedSilentlyWhilePlayingOnAndTheLastOneReported)
{
    QStringList chain; // long enough to overflow the stack if each skip recursed
    for (int entry = 0; entry < 2000; ++entry)
        chain << QStringLiteral("broken%1").arg(entry);
    // Playlist, start, autoplay; the entries tried from the start on, the last of which it ends
    // on, and the file an alert names.
    const std::tuple<QStringList, int, bool, int, QString> cases[] = {
        {{"broken0", "broken1", "good", "later"}, 0, true, 3, ""},
        {{"broken0", "broken1", "good"}, 0, false, 1, "broken0.mp3"},
        {{"good", "broken"}, 1, true, 1, "broken.mp3"},
        {chain, 0, true, 2000, "broken1999.mp3"}};
    for (const auto& [names, start, autoplay, tried, failed] : cases) {
        SCOPED_TRACE(names.join(' ').toStdString());
        players.takeAttempts();
        alerts.alerts.clear();
        const std::uint64_t generation = controller.analysisGeneration();
        controller.loadPlaylist(tracks(names), start, autoplay);
        opened();
        EXPECT_EQ(controller.playlistIndex(), start + tried - 1);
        EXPECT_EQ(players.takeAttempts().join(' '), names.mid(start, tried).join(".mp3 ") + ".mp3");
        EXPECT_EQ(controller.analysisGeneration(), generation + 1); // one load, however many tried
        EXPECT_EQ(current() && current()->isPlaying(), failed.isEmpty());
        ASSERT_EQ(alerts.alerts.size(), failed.isEmpty() ? 0u : 1u);
        for (const AlertPresenter::Alert& alert : alerts.alerts) {
            EXPECT_EQ(alert.messageText, "Die MP3-Datei konnte nicht geöffnet werden.");
            EXPECT_EQ(alert.informativeText, failed);
        }
    }
    // Nothing to load: the alert names no file.
    controller.loadFile(QUrl(), true);
    opened();
    EXPECT_TRUE(alerts.alerts.back().informativeText.isEmpty());
}

// A read error at the last entry stops the list there, with an alert that names the file.
TEST_F(PlayerLoadingTest, AReadErrorAtTheLastEntryIsReportedWithItsFile)
{
    const QList<QUrl> list = tracks({"a", "b", "c", "d", "e", "f", "g", "h"});
    controller.loadPlaylist(list, 7, true);
    current()->failReading();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].messageText + '|' + alerts.alerts[0].informativeText,
              "Die MP3-Datei konnte nicht geöffnet werden.|h.mp3");
    EXPECT_EQ(std::pair(controller.playlistIndex(), controller.playlist()), std::pair(7LL, list));
}

} // namespace
