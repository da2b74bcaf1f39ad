#include "player/PlayerTestFixture.h"

#include "views/MiniScrubberView.h"

#include <tuple>

namespace {

TEST_F(PlayerTest, LoopPointsArmTheLoopOnlyWithAStartBeforeTheEnd)
{
    controller.loopAButtonPressed(nullptr); // without a player: nothing to take the time from
    controller.loopBButtonPressed(nullptr);
    EXPECT_EQ(std::pair(controller.loopStart(), controller.loopEnd()), std::pair(-1.0, -1.0));
    // Points set at a time ('C' clears); then A, B, armed, and whether playing on to 40 s jumps
    // back to A within that one refresh. Every load starts without a loop.
    const std::tuple<const char*, double, double, bool, bool> cases[] = {
        {"A10", 10, -1, false, false},        {"B20", -1, 20, false, false},
        {"A10 B20", 10, 20, true, true},      {"B20 A10", 10, 20, true, true},
        {"B20 A25", 25, 20, false, false},    {"A10 B10", 10, 10, false, false},
        {"A10 B20 A25", 25, 20, true, false}, {"A10 B20 A25 B30", 25, 30, true, true},
        {"A10 B20 A5", 5, 20, true, true},    {"A10 B20 C0", -1, -1, false, false}};
    for (const auto& [steps, start, end, enabled, acts] : cases) {
        controller.loadPlaylist(tracks({"a"}), 0, true);
        for (const QString& step : QString(steps).split(' ')) {
            current()->setCurrentTime(step.mid(1).toDouble());
            if (step[0] == 'A')
                controller.loopAButtonPressed(nullptr);
            else
                step[0] == 'B' ? controller.loopBButtonPressed(nullptr)
                               : controller.loopClearButtonPressed(nullptr);
        }
        EXPECT_EQ(
            std::tuple(controller.loopStart(), controller.loopEnd(), controller.isLoopEnabled()),
            std::tuple(start, end, enabled))
            << steps;
        current()->setCurrentTime(40.0);
        controller.updateTimeLabels();
        EXPECT_EQ(current()->currentTime(), acts ? start : 40.0) << steps;
    }
}

TEST_F(PlayerTest, AnArmedLoopJumpsBackOncePerRefreshWhenScrubbedPastBOrPausedAtTheEnd)
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
