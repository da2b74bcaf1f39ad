#include "player/PlayerTestFixture.h"

#include "support/EventCount.h"
#include "support/TrackLoading.h"
#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <QApplication>
#include <QBackingStore>
#include <QCoreApplication>
#include <QMainWindow>

namespace {

using PlayerAnalysisFeedTest = PlayerTest;

TEST_F(PlayerAnalysisFeedTest, TheDisplaysShowTheFramesOfThePositionTheMeterOnlyWhilePlaying)
{
    controller.loadPlaylist(tracks({"a"}), 0, false);
    finishJobs(); // the missing file's analyses come back empty
    // Bass frames of 1/60 s and spectrum frames of 0.05 s for a 200 s track.
    controller.setBassMeterFrames({{-10.0f, -20.0f}, {-3.0f, -4.0f}, {1.0f, 2.0f}});
    controller.setSpectrumFrames({SpectrumLevels(16, 0.1f), SpectrumLevels(16, 0.5f)});
    // Position, playing; the meter's dB on both sides and the spectrum's level then. Under
    // UndefinedBehaviorSanitizer a time beyond any integer shows an unguarded conversion.
    const std::array<double, 5> cases[] = {{0.02, 1, -3, -4, 0.1},
                                           {0.07, 1, 1, 2, 0.5},
                                           {1e300, 1, 1, 2, 0.5},
                                           {HUGE_VAL, 1, 1, 2, 0.5},
                                           {std::nan(""), 1, -10, -20, 0.1},
                                           {0.07, 0, -60, -60, 0.5}};
    for (const auto& [time, playing, left, right, level] : cases) {
        playing ? void(current()->play()) : current()->pause();
        current()->setCurrentTime(time);
        controller.updateTimeLabels();
        EXPECT_EQ(std::pair(controller.meterView()->leftDB(), controller.meterView()->rightDB()),
                  std::pair(float(left), float(right)))
            << time;
        EXPECT_EQ(controller.spectrumView()->levels(), SpectrumLevels(16, float(level))) << time;
    }
    // Hidden, the displays show nothing and receive nothing.
    controller.setLEDVisible(false);
    controller.setSpectrumVisible(false);
    current()->play();
    controller.updateTimeLabels();
    EXPECT_EQ(std::pair(controller.meterView()->leftDB(), controller.spectrumView()->levels()),
              std::pair(-60.0f, emptySpectrumLevels()));
}

TEST_F(PlayerAnalysisFeedTest, NothingRepaintsWhilePaused)
{
    controller.showWindow();
    controller.loadPlaylist(tracks({"a"}), 0, false);
    finishJobs();
    controller.setBassMeterFrames({{-10.0f, -20.0f}, {-3.0f, -4.0f}, {1.0f, 2.0f}});
    controller.setSpectrumFrames({SpectrumLevels(16, 0.1f), SpectrumLevels(16, 0.9f)});
    controller.waveformView()->setPeaks(std::vector<float>(20000, 0.5f));
    EventCount paints;
    controller.startPlayback();
    current()->setCurrentTime(30.0); // past the last frames: peaks of 1 and 2 dB, caps at 0.9
    controller.updateTimeLabels();
    EXPECT_GT(paints.settle(), 0);
    controller.pauseButtonPressed(nullptr);
    paints.settle();
    // The refresh that every action runs finds nothing new to show. The held peaks fall a sixth
    // of a dB each time but stay on the top segment.
    for (int refresh = 0; refresh < 3; ++refresh)
        controller.updateTimeLabels();
    EXPECT_EQ(paints.settle(), 0);
}

// What the window shows after seconds of ticks, each repainting only what it changed, is what
// drawing it whole gives, in both looks: meter, spectrum, scrolling lines, labels and reels. The
// bands fall slowly, their tops crossing rows by fractions of a pixel, and rise at once; the
// panels hide and show, the position jumps, and the appearance changes. The suite runs again at
// fractional scales, where a logical pixel ends inside a device pixel.
TEST_F(PlayerAnalysisFeedTest, AFrameDrawnTickByTickIsTheFrameDrawnWhole)
{
    controller.showWindow();
    controller.loadPlaylist(tracks({"a"}), 0, false);
    finishJobs();
    BassMeterFrames bass;
    SpectrumFrames spectrum;
    std::vector<float> peaks;
    for (int frame = 0; frame < 12000; ++frame) {
        const auto wave = [frame](double speed) { return std::abs(std::sin(frame * speed)); };
        bass.push_back({float(-40 * wave(0.05)), float(-40 * wave(0.031))});
        SpectrumLevels levels(16);
        for (int band = 0; band < 16; ++band)
            levels[band] = float(1.0 - std::fmod(frame * (0.0011 + band * 0.00037), 1.0));
        spectrum.push_back(levels);
        peaks.push_back(float(wave(0.013) * wave(0.3)));
    }
    controller.setBassMeterFrames(bass);
    controller.setSpectrumFrames(spectrum);
    controller.waveformView()->setPeaks(peaks);
    EventCount paints;
    controller.startPlayback();
    QWidget* window = controller.window();
    // The pixels differing between the window as the window system has them (under the
    // offscreen platform the backing store is an image) and the window drawn whole afresh.
    const auto staleness = [window] {
        QPaintDevice* store = window->backingStore()->paintDevice();
        const QImage ticked =
            store->devType() == QInternal::Image ? *static_cast<QImage*>(store) : QImage();
        const QImage whole = window->grab().toImage().convertToFormat(ticked.format());
        int stale = ticked.size() == whole.size() ? 0 : -1;
        for (int y = 0; y < ticked.height() && stale >= 0; ++y)
            for (int x = 0; x < ticked.width(); ++x)
                stale += ticked.pixel(x, y) != whole.pixel(x, y);
        return stale;
    };
    // Things a user does between ticks, one every 40 ticks.
    const std::function<void()> actions[] = {
        [&] { controller.stop(), controller.startPlayback(); },
        [&] { controller.setSpectrumVisible(false); },
        [&] { controller.setSpectrumVisible(true); },
        [&] { controller.seekToTime(80.0); },
        [&] { QApplication::setPalette(QPalette(QColor(60, 60, 70))); },
        [&] { QApplication::setPalette(QPalette()); }};
    for (const bool vintage : {false, true}) {
        controller.setVintageDesignEnabled(vintage);
        // The tape deck is paced by frames, as under Wayland: a tick is drawn when the window
        // system asks for the next frame, and a frame draws all the ticks since the last one.
        controller.setPacedByFrames(vintage);
        double time = 59.2 + (vintage ? 30 : 0);
        for (int tick = 0; tick < 240; ++tick) {
            time += 1.0 / 60.0;
            current()->setCurrentTime(time);
            controller.updateTimeLabels();
            if (tick % 40 != 39) {
                paints.settle();
                continue;
            }
            // No frame comes before the event loop turns: paced, nothing is drawn yet.
            QCoreApplication::sendPostedEvents();
            ASSERT_EQ(paints.sinceSettled() > 0, !vintage) << vintage << " after tick " << tick;
            // Held where it is, so that the clock stops turning the reels; the meter falls to
            // silence meanwhile, which must be drawn right as well.
            current()->pause();
            int stale = 0;
            EXPECT_TRUE(QTest::qWaitFor([&] { return (stale = staleness()) == 0; }, 5000))
                << stale << " pixels differ, vintage " << vintage << ", after tick " << tick;
            current()->play();
            actions[tick / 40]();
            time = current()->currentTime();
            paints.settle();
        }
    }
}

} // namespace
