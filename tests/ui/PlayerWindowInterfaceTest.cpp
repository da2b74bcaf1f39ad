#include "player/PlayerTestFixture.h"

#include "ui/ElidedLabel.h"

#include <QMainWindow>
#include <QTest>

namespace {

class PlayerWindowTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        controller.window()->move(200, 150);
        controller.showWindow();
        QTest::qWait(20);
    }

    QSize contentSize() const { return controller.window()->centralWidget()->size(); }
    int windowTop() const { return controller.window()->geometry().top(); }
    void settle() const { QTest::qWait(20); }
};

TEST_F(PlayerWindowTest, HidingADisplayShrinksTheWindowUnderItsTopEdge)
{
    controller.resizeWindowToFitContentAnimated(false);
    settle();
    const QSize fitted = contentSize();
    const int top = windowTop();
    EXPECT_EQ(fitted.width(), 340);

    controller.setWaveformVisible(false);
    settle();
    EXPECT_EQ(contentSize().height(), fitted.height() - 96);
    EXPECT_EQ(windowTop(), top);
    EXPECT_FALSE(controller.isWaveformVisible());

    controller.setWaveformVisible(true);
    controller.setWaveformVisible(true); // already shown: the fit changes nothing
    settle();
    EXPECT_EQ(contentSize(), fitted);
}

TEST_F(PlayerWindowTest, WithoutDisplaysTitleTimesAndButtonsRemain)
{
    controller.setLEDVisible(false);
    controller.setWaveformVisible(false);
    controller.setSpectrumVisible(false);
    controller.setLoopControlsVisible(false);
    settle();
    const int expected = controller.titleLabel()->sizeHint().height() +
                         controller.timeRow()->sizeHint().height() + 28 + 2 * 12 + 30;
    EXPECT_EQ(contentSize().height(), expected);
    EXPECT_TRUE(controller.buttonRow()->isVisible());

    controller.setLoopControlsVisible(true);
    settle();
    EXPECT_EQ(contentSize().height(), expected + 40);
    EXPECT_TRUE(controller.areLoopControlsVisible());
}

TEST_F(PlayerWindowTest, ALongTitleIsCutInTheMiddleWithoutWideningTheWindow)
{
    const QSize before = controller.window()->size();
    controller.titleLabel()->setText(QString(35, QLatin1Char('W')));
    settle();
    EXPECT_EQ(controller.window()->size(), before);
    EXPECT_LE(controller.titleLabel()->width(), 308);
    const QString shown = controller.titleLabel()->displayedText();
    EXPECT_TRUE(shown.contains(QChar(0x2026)) && shown.startsWith('W') && shown.endsWith('W'));
}

} // namespace
