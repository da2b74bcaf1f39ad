#include "player/PlayerTestFixture.h"

#include "support/EventLoop.h"
#include "ui/ElidedLabel.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

using namespace std::chrono_literals;

namespace {

class PlayerWindowTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        controller.window()->move(200, 150);
        controller.showWindow();
        processEventsFor(20ms);
    }

    QSize contentSize() const { return controller.window()->centralWidget()->size(); }
    int windowTop() const { return controller.window()->geometry().top(); }
    void settle() const { processEventsFor(20ms); }
};

TEST_F(PlayerWindowTest, BuildsTheSevenRowsInOrderAtTheStandardWidths)
{
    QVBoxLayout* stack = controller.rootStack();
    ASSERT_EQ(stack->count(), 7);
    const std::vector<QWidget*> rows{controller.titleLabel(),     controller.timeRow(),
                                     controller.waveformView(),   controller.meterView(),
                                     controller.spectrumView(),   controller.buttonRow(),
                                     controller.loopControlsRow()};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(stack->itemAt(i)->widget(), rows[static_cast<std::size_t>(i)]) << i;
        EXPECT_FALSE(rows[static_cast<std::size_t>(i)]->isHidden()) << i;
    }
    EXPECT_EQ(contentSize(), QSize(340, 224));
    EXPECT_EQ(controller.window()->windowTitle(), QStringLiteral("Kassolin"));

    for (QWidget* fullWidth :
         {controller.timeRow(), static_cast<QWidget*>(controller.waveformView()),
          static_cast<QWidget*>(controller.meterView()),
          static_cast<QWidget*>(controller.spectrumView())})
        EXPECT_EQ(fullWidth->width(), 308);
    EXPECT_EQ(controller.waveformView()->height(), 84);
    EXPECT_EQ(controller.meterView()->height(), 28);
    EXPECT_EQ(controller.spectrumView()->height(), 84);
    EXPECT_EQ(controller.buttonRow()->width(), 286);
    EXPECT_EQ(controller.loopControlsRow()->width(), 118);
    EXPECT_EQ(controller.buttonRow()->x(), 0);
    EXPECT_EQ(controller.scrubber()->height(), 10);
    EXPECT_EQ(controller.scrubber()->width(),
              308 - controller.elapsedLabel()->width() - controller.remainingLabel()->width() - 16);
    EXPECT_EQ(controller.remainingLabel()->geometry().right(), 307);
}

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
    EXPECT_EQ(controller.meterView()->leftDB(), -60.0f);

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
    EXPECT_TRUE(controller.titleLabel()->displayedText().contains(QChar(0x2026)));
    EXPECT_TRUE(controller.titleLabel()->displayedText().startsWith(QLatin1Char('W')));
    EXPECT_TRUE(controller.titleLabel()->displayedText().endsWith(QLatin1Char('W')));
}

} // namespace
