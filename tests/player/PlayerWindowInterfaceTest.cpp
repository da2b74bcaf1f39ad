#include "player/PlayerTestFixture.h"

#include "support/WidgetRendering.h"
#include "views/ElidedLabel.h"

#include <QMainWindow>
#include <QTest>
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

    QSize contentSize() const { return controller.window()->centralWidget()->size(); }
    int windowTop() const { return controller.window()->geometry().top(); }
    void settle() const { settleLayout(*controller.window()); }
};

TEST_F(PlayerWindowInterfaceTest, HidingADisplayShrinksTheWindowUnderItsTopEdge)
{
    controller.resizeWindowToFitContentAnimated(false);
    settle();
    const QSize fitted = contentSize();
    const int top = windowTop();

    controller.setWaveformVisible(false);
    settle();
    EXPECT_LT(contentSize().height(), fitted.height());
    EXPECT_EQ(windowTop(), top);

    controller.setWaveformVisible(true);
    controller.setWaveformVisible(true); // already shown: the fit changes nothing
    settle();
    EXPECT_EQ(contentSize(), fitted);
}

TEST_F(PlayerWindowInterfaceTest, ALongTitleIsCutInTheMiddleWithoutWideningTheWindow)
{
    const QSize before = controller.window()->size();
    controller.titleLabel()->setText(QString(35, QLatin1Char('W')));
    settle();
    EXPECT_EQ(controller.window()->size(), before);
    EXPECT_LE(controller.titleLabel()->width(), 308);
    const QString shown = controller.titleLabel()->displayedText();
    EXPECT_TRUE(shown.contains(QChar(0x2026)) && shown.startsWith('W') && shown.endsWith('W'));
}

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
