#include "support/EventLoop.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TransportButton.h"
#include "views/WaveformView.h"

#include <functional>
#include <memory>

#include <QEvent>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

template <typename View> struct Change
{
    const char* name;
    std::function<void(View&)> apply;
    bool redraws;
};

// Data setters redraw their view; configuration setters leave the redraw to their caller.
template <typename View>
void expectRedraws(const std::vector<Change<View>>& changes, std::function<View*()> make)
{
    for (const Change<View>& change : changes) {
        std::unique_ptr<View> view(make());
        view->resize(120, 40);
        view->show();
        processEventsFor(20ms);
        PaintCounter counter;
        view->installEventFilter(&counter);
        change.apply(*view);
        processEventsFor(20ms);
        EXPECT_EQ(counter.paints > 0, change.redraws) << change.name;
    }
}

TEST(Redraw, DataSettersRedrawConfigurationSettersDoNot)
{
    const QColor grey(60, 60, 60);
    expectRedraws<LEDMeterView>(
        {{"meter levels", [](auto& v) { v.setLeftDB(-3, -4); }, true},
         {"meter colour", [&](auto& v) { v.setDisplayBackgroundColor(grey); }, false}},
        [] { return new LEDMeterView; });
    expectRedraws<SpectrumAnalyzerView>(
        {{"spectrum levels", [](auto& v) { v.setSpectrumLevels(std::vector<float>(16, 0.5f)); },
          true},
         {"spectrum colour", [&](auto& v) { v.setDisplayBackgroundColor(grey); }, false}},
        [] { return new SpectrumAnalyzerView; });
    expectRedraws<WaveformView>(
        {{"peaks", [](auto& v) { v.setPeaks({0.5f}); }, true},
         {"left peaks", [](auto& v) { v.setLeftPeaks({0.5f}); }, true},
         {"right peaks", [](auto& v) { v.setRightPeaks({0.5f}); }, true},
         {"time", [](auto& v) { v.setCurrentTime(0.5); }, true},
         {"duration", [](auto& v) { v.setDuration(3.0); }, false},
         {"waveform colour", [&](auto& v) { v.setDisplayBackgroundColor(grey); }, false}},
        [] {
            // Without peaks the view shows no position to redraw.
            auto* view = new WaveformView;
            view->setPeaks({0.5f});
            return view;
        });
    expectRedraws<MiniScrubberView>({{"value", [](auto& v) { v.setValue(0.5); }, true}},
                                    [] { return new MiniScrubberView; });
    expectRedraws<TransportButton>(
        {{"lit", [](auto& v) { v.setTransportActive(true); }, true},
         {"vintage key", [](auto& v) { v.setVintageDesign(true); }, false},
         {"icon", [](auto& v) { v.setIconType(TransportIconType::Eject); }, false}},
        [] { return new TransportButton(TransportIconType::Play, nullptr, "playButtonPressed"); });
    expectRedraws<TapeDeckBackgroundView>(
        {{"vintage", [](auto& v) { v.setVintageEnabled(true); }, true},
         {"reels", [](auto& v) { v.setReelsAnimating(true); }, false},
         {"rotation", [](auto& v) { v.setReelRotation(1.0); }, false}},
        [] { return new TapeDeckBackgroundView; });
}

} // namespace
