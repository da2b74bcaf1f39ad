#include "player/PlayerTestFixture.h"

namespace {

using PlayerABLoopTest = PlayerTest;

// Where the loop sends the position, in every state, is the model test's to check; a player that
// still reads past B after the jump is sent back once per refresh, not again within it.
TEST_F(PlayerABLoopTest, APlayerThatStaysPastBIsSentBackOncePerRefresh)
{
    controller.loadPlaylist(tracks({"a"}), 0, true);
    current()->setCurrentTime(10.0);
    controller.loopAButtonPressed(nullptr);
    current()->setCurrentTime(20.0);
    controller.loopBButtonPressed(nullptr);
    current()->setCurrentTime(30.0);
    current()->ignoresSeeks = true;
    const int seeks = current()->seekCount;
    controller.updateTimeLabels();
    controller.updateTimeLabels();
    EXPECT_EQ(current()->seekCount, seeks + 2);
}

} // namespace
