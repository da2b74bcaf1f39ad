#include "ui/QueueWindowController.h"

#include "player/PlayerTestFixture.h"

#include <cstdlib>

#include <QListWidget>
#include <QMainWindow>
#include <QScreen>
#include <QTest>

namespace {

class QueueWindowControllerTest : public PlayerTest
{
protected:
    QueueWindowController* openQueue(qint64 currentIndex)
    {
        controller.loadPlaylist(tracks({"t0", "t1", "t2", "t3", "t4"}), currentIndex, true);
        controller.showWindow();
        if (!QTest::qWaitForWindowExposed(controller.window())) // placed once it is on screen
            return nullptr;
        controller.setQueueWindowFactory(QueueWindowController::factory());
        controller.playlistButtonPressed(nullptr);
        return dynamic_cast<QueueWindowController*>(controller.queueWindow());
    }
};

TEST_F(QueueWindowControllerTest, ListsTheLaterTracksWithNothingSelectedUnderOrElseAboveThePlayer)
{
    controller.setWindowContentSize(QSizeF(340, 200), false);
    QueueWindowController* queue = openQueue(1);
    ASSERT_TRUE(queue);
    EXPECT_TRUE(queue->window()->isVisible());
    const QListWidget& list = *queue->tableView();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(QStringList({list.item(0)->text(), list.item(2)->text()}), QStringList({"t2", "t4"}));
    EXPECT_TRUE(list.selectedItems().isEmpty());
    controller.appendToPlaylist(tracks({"t5"})); // the list follows at once
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(3)->text(), "t5");
    // Centred 8 points under the player where it fits on the screen, 8 above it where not.
    const QRect area = controller.window()->screen()->availableGeometry();
    for (const bool atTop : {true, false}) {
        const int playerHeight = controller.window()->frameGeometry().height();
        controller.window()->move(area.x() + 40, atTop ? area.y() : area.bottom() - playerHeight);
        controller.playlistButtonPressed(nullptr);
        const QRect player = controller.window()->frameGeometry();
        const QRect frame = queue->window()->frameGeometry();
        EXPECT_LE(std::abs(frame.center().x() - player.center().x()), 1);
        EXPECT_EQ(atTop ? frame.top() - player.bottom() - 1 : player.top() - frame.bottom() - 1, 8);
        EXPECT_TRUE(area.contains(frame)) << atTop;
    }
}

} // namespace
