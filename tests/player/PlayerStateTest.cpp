// Runs with no application object and no display: the state needs neither.
#include "player/PlayerState.h"

#include <set>

#include <gtest/gtest.h>

namespace {

QList<QUrl> entries(int count)
{
    QList<QUrl> urls;
    for (int index = 0; index < count; ++index)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/music/%1.mp3").arg(index)));
    return urls;
}

TEST(PlayerState, APlaylistStartsWithinItAndAnEmptyOneOrAnIndexOutsideChangesNothing)
{
    PlayerState state(1);
    EXPECT_EQ(state.playlistIndex(), -1);
    EXPECT_FALSE(state.hasEntryAfterCurrent());
    state.setPlaylist(entries(3), 7);
    EXPECT_EQ(state.playlistIndex(), 2);
    state.setPlaylist(entries(3), -4);
    EXPECT_EQ(state.playlistIndex(), 0);
    state.setPlaylist({}, 0);
    EXPECT_EQ(state.playlist().size(), 3);
    state.setPlaylistIndex(3);
    state.setPlaylistIndex(-1);
    EXPECT_EQ(state.playlistIndex(), 0);
}

TEST(PlayerState, NextFollowsInOrderUntilTheLastEntryAndPreviousStopsAtTheFirst)
{
    PlayerState state(1);
    state.setPlaylist(entries(3), 0);
    EXPECT_EQ(state.previousIndex(), 0);
    ASSERT_TRUE(state.hasEntryAfterCurrent());
    EXPECT_EQ(state.nextIndex(), 1);
    state.setPlaylistIndex(2);
    EXPECT_FALSE(state.hasEntryAfterCurrent());
    EXPECT_EQ(state.previousIndex(), 1);
    state.setPlaylist(entries(1), 0);
    EXPECT_FALSE(state.hasEntryAfterCurrent());
}

TEST(PlayerState, ShuffleReachesEveryLaterEntryAndNeverAnEarlierOne)
{
    PlayerState state(42);
    state.setPlaylist(entries(10), 3);
    state.setShuffleEnabled(true);
    std::set<qint64> reached;
    for (int draw = 0; draw < 2000; ++draw)
        reached.insert(state.nextIndex());
    EXPECT_EQ(reached, (std::set<qint64>{4, 5, 6, 7, 8, 9}));
}

TEST(PlayerState, TheLoopTurnsOnWithBAfterAAndJumpsOnlyWhileItLiesThere)
{
    PlayerState state(1);
    EXPECT_FALSE(state.setLoopEnd(4.0)); // B alone
    EXPECT_FALSE(state.isLoopEnabled());
    EXPECT_FALSE(state.setLoopStart(5.0)); // A after B
    EXPECT_FALSE(state.loopJumpsAt(9.0));
    EXPECT_TRUE(state.setLoopStart(1.0));
    EXPECT_TRUE(state.isLoopEnabled());
    EXPECT_FALSE(state.loopJumpsAt(3.9));
    EXPECT_TRUE(state.loopJumpsAt(4.0));
    // Moved past B, A leaves the loop on but still.
    EXPECT_FALSE(state.setLoopStart(6.0));
    EXPECT_TRUE(state.isLoopEnabled());
    EXPECT_FALSE(state.loopJumpsAt(7.0));
    state.clearLoop();
    EXPECT_FALSE(state.isLoopEnabled() || state.hasLoopStart() || state.hasLoopEnd());
}

TEST(PlayerState, ATrackMadeCurrentStartsUnpausedWithoutLoopPoints)
{
    PlayerState state(1);
    state.setPaused(true);
    state.setLoopStart(1.0);
    state.setLoopEnd(2.0);
    state.enterTrack();
    EXPECT_FALSE(state.isPaused());
    EXPECT_FALSE(state.isLoopEnabled() || state.hasLoopStart() || state.hasLoopEnd());
    EXPECT_FALSE(state.loopJumpsAt(2.0));
}

} // namespace
