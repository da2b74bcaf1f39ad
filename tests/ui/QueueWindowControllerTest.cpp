#include "ui/QueueWindowController.h"

#include "player/PlayerTestFixture.h"
#include "support/EventLoop.h"

#include <QListWidget>
#include <QMainWindow>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class QueueTest : public PlayerTest
{
protected:
    QueueWindowController* openQueue(qint64 currentIndex)
    {
        controller.loadPlaylist(tracks({"t0", "t1", "t2", "t3", "t4"}), currentIndex, true);
        controller.showWindow();
        controller.playlistButtonPressed(nullptr);
        processEventsFor(20ms);
        return controller.queueWindow();
    }

    static QStringList rowTexts(const QueueWindowController& queue)
    {
        QStringList texts;
        for (int row = 0; row < queue.tableView()->count(); ++row)
            texts << queue.tableView()->item(row)->text();
        return texts;
    }
};

TEST_F(QueueTest, ListsTheTracksAfterTheCurrentOneWithNothingSelected)
{
    QueueWindowController* queue = openQueue(1);
    ASSERT_TRUE(queue);
    EXPECT_TRUE(queue->window()->isVisible());
    EXPECT_EQ(queue->window()->windowTitle(), QStringLiteral("Warteschlange"));
    EXPECT_EQ(queue->window()->size(), QSize(300, 220));
    EXPECT_EQ(rowTexts(*queue), QStringList({"t2", "t3", "t4"}));
    EXPECT_TRUE(queue->tableView()->selectedItems().isEmpty());
    EXPECT_EQ(controller.playlistIndex(), 1);
}

TEST(QueueWindowPosition, IsCentredEightPointsUnderThePlayersFrame)
{
    // A player frame at x 100, 836 wide, whose bottom edge is at y 700; a queue frame 300 × 242.
    EXPECT_EQ(
        QueueWindowController::queueWindowPosition(QRect(100, 229, 836, 471), QSize(300, 242)),
        QPoint(368, 708));
}

TEST_F(QueueTest, OpensWhereItsPositionSays)
{
    controller.setWindowContentSize(QSizeF(836, 471), false);
    controller.window()->move(100, 200);
    QueueWindowController* queue = openQueue(0);
    ASSERT_TRUE(queue);
    const QRect player = controller.window()->frameGeometry();
    const QRect frame = queue->window()->frameGeometry();
    EXPECT_EQ(frame.topLeft(), QueueWindowController::queueWindowPosition(player, frame.size()));
    EXPECT_EQ(frame.top() - player.bottom() - 1, 8);
}

TEST_F(QueueTest, AChoiceByClickOrArrowKeyClosesTheWindowAndPlaysIt)
{
    QueueWindowController* queue = openQueue(0);
    ASSERT_TRUE(queue);
    queue->tableView()->setCurrentRow(2); // "t3"
    EXPECT_FALSE(queue->window()->isVisible());
    EXPECT_EQ(controller.playlistIndex(), 3);
    EXPECT_TRUE(current()->isPlaying());

    controller.playPlaylistIndex(0);
    controller.playlistButtonPressed(nullptr);
    processEventsFor(20ms);
    ASSERT_TRUE(queue->window()->isVisible());
    queue->tableView()->setFocus();
    QTest::keyClick(queue->tableView(), Qt::Key_Down);
    EXPECT_FALSE(queue->window()->isVisible());
    EXPECT_EQ(controller.playlistIndex(), 1);
}

TEST_F(QueueTest, AnIndexGoneFromAChangedPlaylistOnlyClosesTheWindow)
{
    QueueWindowController* queue = openQueue(0);
    ASSERT_TRUE(queue);
    controller.loadPlaylist(tracks({"n0", "n1"}), 0, false);
    const std::uint64_t generation = controller.analysisGeneration();
    queue->tableView()->setCurrentRow(3); // index 4, gone now
    EXPECT_FALSE(queue->window()->isVisible());
    EXPECT_EQ(controller.analysisGeneration(), generation);
    EXPECT_EQ(controller.playlistIndex(), 0);
}

} // namespace
