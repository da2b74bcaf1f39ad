#include "PaintBench.h"

#include "BenchFigures.h"

#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/WaveformView.h"

#include <cmath>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QImage>
#include <QSvgRenderer>
#include <QWindow>

namespace {

constexpr int paintsPerBatch = 200;

void print(const char* name, double microseconds)
{
    printFigure(name, microseconds, "us");
}

// The mean time of one paint in the least disturbed of several batches, in microseconds.
double paintMicroseconds(QWidget& view, const QSize& size)
{
    view.resize(size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const double batchSeconds = bestSeconds([&] {
        for (int paint = 0; paint < paintsPerBatch; ++paint)
            view.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return true;
    });
    return batchSeconds * 1e6 / paintsPerBatch;
}

// The mean time of one clock tick on screen, in microseconds: `advance` moves the view on by a
// sixtieth of a second, and the repaint it asks for is done at once, as the clock does it.
double tickMicroseconds(QWidget& view, const QSize& size, const std::function<void()>& advance)
{
    view.resize(size);
    view.show();
    while (!view.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    const double batchSeconds = bestSeconds([&] {
        for (int tick = 0; tick < paintsPerBatch; ++tick) {
            advance();
            QCoreApplication::sendPostedEvents(&view, QEvent::UpdateRequest);
        }
        return true;
    });
    return batchSeconds * 1e6 / paintsPerBatch;
}

// Music-like peaks: loud and quiet passages with a fast flutter, one value per bin.
std::vector<float> peaks(std::size_t bins)
{
    std::vector<float> values(bins);
    for (std::size_t i = 0; i < bins; ++i) {
        const double t = static_cast<double>(i);
        values[i] = static_cast<float>(0.5 + 0.3 * std::sin(t * 0.013) + 0.2 * std::sin(t * 0.71));
    }
    return values;
}

double waveform(double duration, std::size_t bins, double time)
{
    WaveformView view;
    view.setDuration(duration);
    view.setLeftPeaks(peaks(bins));
    view.setRightPeaks(peaks(bins));
    view.setCurrentTime(time);
    return paintMicroseconds(view, {308, 84});
}

double waveformTick()
{
    WaveformView view;
    view.setDuration(180.0);
    view.setLeftPeaks(peaks(36000));
    view.setRightPeaks(peaks(36000));
    double time = 60.0;
    return tickMicroseconds(view, {308, 84}, [&] { view.setCurrentTime(time += 1.0 / 60.0); });
}

double spectrum()
{
    SpectrumAnalyzerView view;
    std::vector<float> levels(16);
    for (std::size_t band = 0; band < levels.size(); ++band)
        levels[band] = static_cast<float>(0.9 - 0.05 * static_cast<double>(band));
    view.setSpectrumLevels(levels);
    for (float& level : levels)
        level *= 0.5f;
    view.setSpectrumLevels(levels);
    return paintMicroseconds(view, {308, 84});
}

double meter()
{
    LEDMeterView view;
    view.setLeftDB(1.0f, -2.0f);
    view.setLeftDB(-6.0f, -9.0f);
    return paintMicroseconds(view, {308, 28});
}

double tapeDeck(bool withArtwork)
{
    TapeDeckBackgroundView view;
    if (!withArtwork)
        view.setPanelImage(nullptr);
    view.setVintageEnabled(true);
    view.setReelsAnimating(true);
    view.setReelRotation(0.18);
    return paintMicroseconds(view, {836, 471});
}

double tapeDeckTick()
{
    TapeDeckBackgroundView view;
    view.setVintageEnabled(true);
    view.setReelsAnimating(true);
    return tickMicroseconds(view, {836, 471}, [&] {
        view.setReelRotation(view.reelRotation() + 0.18);
        view.update(view.reelsArea());
    });
}

} // namespace

void benchPaint()
{
    const double longTrack = waveform(180.0, 36000, 60.0);
    const double spectrumTime = spectrum();
    const double meterTime = meter();
    print("paint waveform 308x84, 180 s track, 36000 bins per channel, at 60 s", longTrack);
    print("paint waveform 308x84, 10 s track, 600 bins per channel in the window",
          waveform(10.0, 6000, 5.0));
    print("paint spectrum 308x84, 16 bands", spectrumTime);
    print("paint LED meter 308x28", meterTime);
    print("paint waveform (180 s) + spectrum + meter, one frame",
          longTrack + spectrumTime + meterTime);
    print("paint tape deck 836x471 with reels, no artwork", tapeDeck(false));
    print("paint tape deck 836x471 with reels and cached artwork", tapeDeck(true));
    print("tick on screen, waveform 308x84 at 60 s of 180 s", waveformTick());
    print("tick on screen, tape deck 836x471, reels turning", tapeDeckTick());
}
