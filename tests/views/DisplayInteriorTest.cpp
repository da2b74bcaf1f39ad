#include "support/WidgetRendering.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <functional>
#include <tuple>

#include <gtest/gtest.h>

namespace {

// On screen a display's band is painted by its own opaque child; painted whole, as into an
// image, the display draws the band itself. Both must give the same pixels.
TEST(DisplayInteriorTest, TheBandShowsWhatTheWholeDisplayDraws)
{
    WaveformView waveform;
    waveform.setDuration(180.0);
    waveform.setLeftPeaks(std::vector<float>(36000, 0.7f));
    waveform.setRightPeaks(std::vector<float>(36000, 0.3f));
    SpectrumAnalyzerView spectrum;
    // view, change before the picture
    const std::tuple<QWidget*, std::function<void()>> pictures[] = {
        {&waveform, [&] { waveform.setCurrentTime(60.0); }},
        {&waveform, [&] { waveform.setCurrentTime(0.2); }},
        {&spectrum, [&] { spectrum.setSpectrumLevels(std::vector<float>(16, 0.63f)); }},
        {&spectrum, [&] {
             spectrum.setSpectrumLevels({0.1f, 0.9f, 0.377f});
         }}};
    for (const auto& [view, change] : pictures) {
        change();
        const QImage whole = renderWidget(*view, {308, 84});
        QImage withBand(whole.size(), whole.format());
        withBand.fill(QColor(255, 0, 255));
        view->render(&withBand, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(withBand == whole) << view->metaObject()->className();
    }
}

} // namespace
