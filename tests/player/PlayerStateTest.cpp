// Runs with no application object and no display: the state needs neither.
#include "player/PlayerState.h"

#include <set>
#include <tuple>

#include <gtest/gtest.h>

namespace {

QList<QUrl> entries(int count)
{
    QList<QUrl> urls;
    for (int index = 0; index < count; ++index)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/music/%1.mp3").arg(index)));
    return urls;
}

// An index outside the list, an empty list, or an edit of what comes next that names anything
// but later entries, each once, changes nothing.
TEST(PlayerStateTest, APlaylistStartsWithinItAndOnlyLaterEntriesAreEdited)
{
    PlayerState state(1);
    state.setPlaylist(entries(4), 7);
    EXPECT_EQ(state.playlistIndex(), 3);
    state.setPlaylist({}, 0);
    state.setPlaylistIndex(-1);
    EXPECT_TRUE(state.playlist().size() == 4 && state.playlistIndex() == 3);
    state.setPlaylist(entries(4), 1);
    for (const QList<qint64>& wrong : {QList<qint64>{1, 2}, {3, 3}, {4}})
        EXPECT_FALSE(state.keepUpcoming(wrong));
    ASSERT_TRUE(state.keepUpcoming({3, 2}));
    EXPECT_EQ(state.playlist(),
              (QList{entries(4)[0], entries(4)[1], entries(4)[3], entries(4)[2]}));
}

TEST(PlayerStateTest, ShuffleReachesEveryLaterEntryAndNeverAnEarlierOne)
{
    PlayerState state(42);
    state.setPlaylist(entries(10), 3);
    state.setShuffleEnabled(true);
    std::set<qint64> reached;
    for (int draw = 0; draw < 2000; ++draw)
        reached.insert(state.nextIndex());
    EXPECT_EQ(reached, (std::set<qint64>{4, 5, 6, 7, 8, 9}));
}

TEST(PlayerStateTest, TheLoopTurnsOnWithBAfterAAndJumpsOnlyWhileItLiesThere)
{
    // Points set at a time ('C' clears); then A, B, whether the loop is on, and whether a
    // position at 40 s jumps back.
    const std::tuple<const char*, double, double, bool, bool> cases[] = {
        {"A10", 10, -1, false, false},        {"B20", -1, 20, false, false},
        {"A10 B20", 10, 20, true, true},      {"B20 A10", 10, 20, true, true},
        {"B20 A25", 25, 20, false, false},    {"A10 B10", 10, 10, false, false},
        {"A10 B20 A25", 25, 20, true, false}, {"A10 B20 A25 B30", 25, 30, true, true},
        {"A10 B20 A5", 5, 20, true, true},    {"A10 B20 C0", -1, -1, false, false}};
    for (const auto& [steps, start, end, enabled, jumps] : cases) {
        PlayerState state(1);
        for (const QString& step : QString(steps).split(' ')) {
            const double time = step.mid(1).toDouble();
            if (step[0] == 'A')
                state.setLoopStart(time);
            else if (step[0] == 'B')
                state.setLoopEnd(time);
            else
                state.clearLoop();
        }
        EXPECT_EQ(std::tuple(state.loopStart(), state.loopEnd(), state.isLoopEnabled()),
                  std::tuple(start, end, enabled))
            << steps;
        EXPECT_EQ(state.loopJumpsAt(40.0), jumps) << steps;
    }
}

} // namespace
