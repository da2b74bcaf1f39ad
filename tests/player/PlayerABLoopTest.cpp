#include "player/PlayerTestFixture.h"

#include "views/MiniScrubberView.h"
#include "views/TransportButton.h"

namespace {

struct LoopStep
{
    char point; // 'A', 'B' or 'C' (clear)
    double time;
};

struct LoopCase
{
    const char* name;
    std::vector<LoopStep> steps;
    double start;
    double end;
    bool enabled;
    bool acts;
};

void PrintTo(const LoopCase& c, std::ostream* out)
{
    *out << c.name;
}

class LoopStates : public PlayerTest, public ::testing::WithParamInterface<LoopCase>
{};

TEST_P(LoopStates, FollowTheArmingRules)
{
    const LoopCase& c = GetParam();
    controller.loadPlaylist(tracks({"a"}), 0, true);
    for (const LoopStep& step : c.steps) {
        current()->setCurrentTime(step.time);
        if (step.point == 'A')
            controller.loopAButtonPressed(nullptr);
        else if (step.point == 'B')
            controller.loopBButtonPressed(nullptr);
        else
            controller.loopClearButtonPressed(nullptr);
    }
    EXPECT_EQ(controller.loopStart(), c.start);
    EXPECT_EQ(controller.loopEnd(), c.end);
    EXPECT_EQ(controller.isLoopEnabled(), c.enabled);
    EXPECT_EQ(controller.loopAButton()->isTransportActive(), c.start >= 0);
    EXPECT_EQ(controller.loopBButton()->isTransportActive(), c.end >= 0);
    EXPECT_EQ(controller.loopClearButton()->isTransportActive(), c.enabled);

    // Playing on to 40 s: an acting loop jumps back to A within this one refresh.
    current()->setCurrentTime(40.0);
    controller.updateTimeLabels();
    EXPECT_EQ(current()->currentTime(), c.acts ? c.start : 40.0);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, LoopStates,
    ::testing::Values(
        LoopCase{"AOnly", {{'A', 10}}, 10, -1, false, false},
        LoopCase{"BOnly", {{'B', 20}}, -1, 20, false, false},
        LoopCase{"AThenB", {{'A', 10}, {'B', 20}}, 10, 20, true, true},
        LoopCase{"BThenA", {{'B', 20}, {'A', 10}}, 10, 20, true, true},
        LoopCase{"AAfterB", {{'B', 20}, {'A', 25}}, 25, 20, false, false},
        LoopCase{"SamePosition", {{'A', 10}, {'B', 10}}, 10, 10, false, false},
        LoopCase{"ArmedThenCrossed", {{'A', 10}, {'B', 20}, {'A', 25}}, 25, 20, true, false},
        LoopCase{"CrossedThenRestored",
                 {{'A', 10}, {'B', 20}, {'A', 25}, {'B', 30}},
                 25,
                 30,
                 true,
                 true},
        LoopCase{"NewSection", {{'A', 10}, {'B', 20}, {'A', 5}}, 5, 20, true, true},
        LoopCase{"Cleared", {{'A', 10}, {'B', 20}, {'C', 0}}, -1, -1, false, false}),
    [](const ::testing::TestParamInfo<LoopCase>& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, WithoutAPlayerOnlyClearWorks)
{
    controller.setLoopStartAtCurrentTime();
    controller.setLoopEndAtCurrentTime();
    EXPECT_EQ(controller.loopStart(), -1.0);
    EXPECT_EQ(controller.loopEnd(), -1.0);
    controller.clearLoopPoints();
    EXPECT_FALSE(controller.isLoopEnabled());
}

TEST_F(PlayerTest, ScrubbingPastBJumpsToAAtOnceAlsoWhilePaused)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(20.0);
    controller.setLoopEndAtCurrentTime();
    controller.pauseButtonPressed(nullptr);
    controller.scrubber()->setValue(0.15); // 30 s of 200
    controller.scrubberValueChanged(controller.scrubber());
    EXPECT_DOUBLE_EQ(current()->currentTime(), 10.0);
    EXPECT_TRUE(controller.isPaused());
}

TEST_F(PlayerTest, AnArmedLoopKeepsTheTrackFromEnding)
{
    players.duration = 60.0;
    controller.loadPlaylist(tracks({"a", "b"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(20.0);
    controller.setLoopEndAtCurrentTime();
    current()->pause();
    current()->setCurrentTime(60.0);
    controller.updateTimeLabels();
    EXPECT_DOUBLE_EQ(current()->currentTime(), 10.0);
    EXPECT_EQ(controller.playlistIndex(), 0);
}

TEST_F(PlayerTest, ALoopWhosePlayerStaysPastBJumpsOncePerRefresh)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.setLoopStartAtCurrentTime();
    current()->setCurrentTime(20.0);
    controller.setLoopEndAtCurrentTime();
    current()->setCurrentTime(30.0);
    current()->ignoresSeeks = true;
    const int seeksBefore = current()->seekCount;
    controller.updateTimeLabels();
    EXPECT_EQ(current()->seekCount, seeksBefore + 1);
    controller.updateTimeLabels();
    EXPECT_EQ(current()->seekCount, seeksBefore + 2);
}

} // namespace
