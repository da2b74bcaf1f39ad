#include "player/PlayerTestFixture.h"

#include "views/MiniScrubberView.h"

namespace {

using PlayerABLoopTest = PlayerTest;

TEST_F(PlayerABLoopTest, TheKeysSetThePointsAtThePlayersTimeAndEveryLoadStartsWithoutThem)
{
    controller.loopAButtonPressed(nullptr); // without a player: nothing to take the time from
    controller.loopBButtonPressed(nullptr);
    EXPECT_EQ(std::pair(controller.loopStart(), controller.loopEnd()), std::pair(-1.0, -1.0));
    controller.loadPlaylist(tracks({"a"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.loopAButtonPressed(nullptr);
    current()->setCurrentTime(20.0);
    controller.loopBButtonPressed(nullptr);
    EXPECT_EQ(std::pair(controller.loopStart(), controller.loopEnd()), std::pair(10.0, 20.0));
    current()->setCurrentTime(40.0);
    controller.updateTimeLabels();
    EXPECT_EQ(current()->currentTime(), 10.0);
    controller.loadPlaylist(tracks({"a"}), 0, true);
    EXPECT_FALSE(controller.isLoopEnabled() || controller.state().hasLoopStart());
}

TEST_F(PlayerABLoopTest, AnArmedLoopJumpsBackOncePerRefreshWhenScrubbedPastBOrPausedAtTheEnd)
{
    players.duration = 60.0;
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(20.0);
    controller.setLoopEndAtCurrentTime();
    controller.pauseButtonPressed(nullptr);
    controller.scrubber()->setValue(0.5); // 30 s
    controller.scrubberValueChanged(controller.scrubber());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 10.0);
    EXPECT_TRUE(controller.isPaused());
    // Stopped at the end, the track does not end: the loop sends it back.
    current()->setCurrentTime(60.0);
    controller.updateTimeLabels();
    EXPECT_DOUBLE_EQ(current()->currentTime(), 10.0);
    EXPECT_EQ(controller.playlistIndex(), 0);
    // A player that stays past B is sent back once per refresh, not again within it.
    current()->setCurrentTime(30.0);
    current()->ignoresSeeks = true;
    const int seeks = current()->seekCount;
    controller.updateTimeLabels();
    controller.updateTimeLabels();
    EXPECT_EQ(current()->seekCount, seeks + 2);
}

} // namespace
