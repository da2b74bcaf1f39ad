#include "player/PlayerTestFixture.h"

#include "support/WidgetRendering.h"

#include <QMainWindow>
#include <QVBoxLayout>

namespace {

class PlayerWindowInterfaceTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        controller.showWindow();
        settle();
    }

    void settle() const { settleLayout(*controller.window()); }
};

TEST_F(PlayerWindowInterfaceTest, EveryRowShowsWholeWhenATrackLoadsIntoTheFittedWindow)
{
    for (int shown = 0; shown < 16; ++shown) { // LED meter, waveform, spectrum, loop row
        PlayerWindowController player(players.factory(), alerts);
        player.setLEDVisible(shown & 1);
        player.setWaveformVisible(shown & 2);
        player.setSpectrumVisible(shown & 4);
        player.setLoopControlsVisible(shown & 8);
        player.loadPlaylist(tracks({"Titel"}), 0, false);
        player.showWindow();
        // The column lies within its margins, each row in the column, each item in its row.
        const QWidget* column = player.rootStack()->parentWidget();
        const QRect margins = column->parentWidget()->rect().adjusted(16, 16, -16, -14);
        EXPECT_TRUE(margins.contains(column->geometry())) << shown;
        for (const QWidget* item : column->findChildren<QWidget*>())
            EXPECT_TRUE(!item->isVisible() ||
                        item->parentWidget()->rect().contains(item->geometry()))
                << shown;
    }
}

} // namespace
