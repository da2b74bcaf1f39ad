#include "support/EventCount.h"
#include "support/WidgetRendering.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <functional>
#include <tuple>

#include <gtest/gtest.h>

namespace {

TEST(PaintOnChangeTest, ViewsRepaintOnlyWhenTheirPixelsChange)
{
    MiniScrubberView scrubber;
    LEDMeterView meter;
    SpectrumAnalyzerView spectrum;
    WaveformView waveform;
    waveform.setDuration(180.0);
    waveform.setPeaks(std::vector<float>(36000, 0.5f));
    for (const auto& [view, size] : {std::pair<QWidget*, QSize>{&scrubber, {200, 10}},
                                     {&meter, {250, 28}},
                                     {&spectrum, {300, 84}},
                                     {&waveform, {300, 84}}}) {
        view->resize(size);
        view->show();
    }
    // The scrubber's width in device pixels, where its knob stands.
    const double pixels = 200 * scrubber.devicePixelRatioF();
    const auto bands = [](float level) { return std::vector<float>(16, level); };
    // change, whether it repaints
    const std::tuple<const char*, std::function<void()>, bool> steps[] = {
        {"scrubber", [&] { scrubber.setValue(0.5); }, true},
        {"knob 0.4 device pixels on", [&] { scrubber.setValue(0.5 + 0.4 / pixels); }, false},
        {"meter", [&] { meter.setLeftDB(-10.0f, -10.0f); }, true},
        {"level and peak within a segment", [&] { meter.setLeftDB(-10.3f, -10.3f); }, false},
        {"spectrum", [&] { spectrum.setSpectrumLevels(bands(0.5f)); }, true},
        {"waveform", [&] { waveform.setCurrentTime(60.0); }, true},
        {"0.3 columns on", [&] { waveform.setCurrentTime(60.001); }, false}};
    EventCount paints;
    paints.settle();
    for (const auto& [name, change, repaints] : steps) {
        change();
        EXPECT_EQ(paints.settle() > 0, repaints) << name;
    }
}

} // namespace
