#include "player/PlayerWindowController.h"

#include "analysis/SpectrumFrames.h"
#include "player/TickGrid.h"
#include "player/TimeFormat.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/WaveformView.h"

#include <cmath>
#include <numbers>

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QWindow>

namespace {

// Two wake-ups a second while the window cannot be seen: the player tells of the end of its
// track itself, so the clock's check is only the fallback.
constexpr std::int64_t ticksWhileUnseen = 30;
constexpr double reelStepPerTick = 0.18;

double notNegative(double value)
{
    return std::isnan(value) ? 0.0 : std::max(value, 0.0);
}

} // namespace

void PlayerWindowController::startTimer()
{
    stopTimer();
    m_clockStarted.start();
    m_ticks = 0;
    scheduleNextTick();
    if (QWindow* handle = m_window->windowHandle(); handle && m_pacedByFrames)
        handle->requestUpdate(); // the first frame, which asks for the next
}

void PlayerWindowController::stopTimer()
{
    m_timer.stop();
}

void PlayerWindowController::scheduleNextTick()
{
    // A window that cannot be seen shows nothing, and one paced by frames is drawn by them, so
    // the clock then wakes only every few ticks for the end of the track; an armed loop keeps
    // every tick, for a jump on time also where no frame comes.
    const bool fewTicks = isWindowUnseen() || m_pacedByFrames;
    const std::int64_t step = fewTicks && !m_state.isLoopEnabled() ? ticksWhileUnseen : 1;
    const double elapsed = static_cast<double>(m_clockStarted.nsecsElapsed()) / 1e6;
    m_timer.start(advanceTickGrid(m_ticks, step, elapsed));
}

// Shown, but minimized, unmapped by the window manager (on another workspace) or otherwise not
// exposed, covered whole, or behind the locked screen. A window never shown counts as seen:
// nothing says it is not.
bool PlayerWindowController::isWindowUnseen() const
{
    const QWindow* handle = m_window->windowHandle();
    return m_window->isVisible() && (m_window->isMinimized() || !handle || !handle->isExposed() ||
                                     m_screenLocked || (m_visibility && m_visibility->isCovered()));
}

void PlayerWindowController::setScreenLocked(bool locked)
{
    m_screenLocked = locked;
    windowExposed();
}

// Seen again: the displays show where the track is now at once, and the clock ticks fully.
void PlayerWindowController::windowExposed()
{
    if (isWindowUnseen() || !std::exchange(m_displaysBehind, false))
        return;
    refresh(true);
    if (m_timer.isActive())
        scheduleNextTick();
}

void PlayerWindowController::tick()
{
    scheduleNextTick();
    // A window that cannot be seen is not drawn: its displays are fed again when it is exposed.
    // The loop and the end of the track are still watched.
    const bool unseen = isWindowUnseen();
    m_displaysBehind = m_displaysBehind || unseen;
    refresh(!unseen);
    // Paint what the tick changed in this wake-up rather than in another pass of the event loop.
    QCoreApplication::sendPostedEvents(m_window.get(), QEvent::UpdateRequest);
}

void PlayerWindowController::updateTimeLabels()
{
    refresh(true);
}

void PlayerWindowController::refresh(bool showPosition)
{
    if (!m_player) {
        refreshWithoutPlayer();
        return;
    }
    // At most one loop jump per refresh: a player that still reads at or past B afterwards
    // must not send the refresh round again.
    if (refreshPosition(true, showPosition)) {
        refreshPosition(false, showPosition);
        Q_EMIT positionJumped();
    }
}

bool PlayerWindowController::refreshPosition(bool mayJumpInLoop, bool showPosition)
{
    const double duration = m_player->duration();
    const double time = notNegative(m_player->currentTime());
    const double clampedDuration = notNegative(duration);
    if (showPosition)
        showPositionInDisplays(time, duration);
    prepareNextTrackNearTheEnd(time, duration);

    // The jump is made that much ahead of B as the sound takes to ramp down, so that B is
    // where it is heard to turn.
    if (mayJumpInLoop && m_state.loopJumpsAt(time + m_player->cutDelay())) {
        m_player->setCurrentTime(m_state.loopStart());
        return true;
    }
    // Only a track that was playing ends so; one stopped or paused at its end stays there.
    if (isTimerRunning() && !m_player->isPlaying() && duration > 0.0 && time >= clampedDuration)
        handlePlaybackFinished();
    return false;
}

void PlayerWindowController::showCurrentPosition()
{
    if (m_player)
        showPositionInDisplays(notNegative(m_player->currentTime()), m_player->duration());
}

void PlayerWindowController::showPositionInDisplays(double time, double duration)
{
    showTimeTexts(time, duration);
    m_scrubber->setValue(duration > 0.0 ? time / duration : 0.0);
    m_waveformView->setCurrentTime(time);
    advanceReels();
    updateMeters();
    updateSpectrumForTime(time);
}

// The texts change once a second, the clock ticks 60 times: they are formatted only when one of
// the seconds they show has changed.
void PlayerWindowController::showTimeTexts(double time, double duration)
{
    const double remaining = notNegative(duration) - time;
    const ShownSeconds seconds{wholeSeconds(time), wholeSeconds(duration), wholeSeconds(remaining)};
    if (seconds == m_shownSeconds)
        return;
    m_shownSeconds = seconds;
    const QString elapsed = formatSeconds(time);
    m_elapsedLabel->setTime(elapsed);
    m_scrubber->setValueText(elapsed + QStringLiteral(" von ") + formatSeconds(duration));
    m_remainingLabel->setTime(QLatin1Char('-') + formatSeconds(remaining));
}

void PlayerWindowController::refreshWithoutPlayer()
{
    m_shownSeconds.reset();
    m_elapsedLabel->setTime(QStringLiteral("00:00"));
    m_remainingLabel->setTime(QStringLiteral("-00:00"));
    m_scrubber->setValue(0.0);
    m_scrubber->setValueText(QString());
    m_waveformView->setCurrentTime(0.0);
    m_spectrumView->setSpectrumLevels(emptySpectrumLevels());
    m_meterView->setLeftDB(silenceDecibels, silenceDecibels);
}

void PlayerWindowController::advanceReels()
{
    if (!m_backgroundView->isVintageEnabled() || !m_player->isPlaying())
        return;
    double rotation = m_backgroundView->reelRotation() + reelStepPerTick;
    if (rotation > 2 * std::numbers::pi)
        rotation -= 2 * std::numbers::pi;
    m_backgroundView->setReelRotation(rotation);
    m_backgroundView->updateReels();
}

void PlayerWindowController::scrubberValueChanged(QObject* sender)
{
    const auto* scrubber = qobject_cast<MiniScrubberView*>(sender);
    if (scrubber && m_player)
        seekToTime(scrubber->value() * m_player->duration());
}

void PlayerWindowController::seekToTime(double seconds)
{
    if (!m_player || !(m_player->duration() > 0.0))
        return;
    m_player->setCurrentTime(seconds);
    m_currentHandedToEnd = false; // its last frame is handed again, later
    Q_EMIT positionJumped();      // before the refresh, which may jump again in the loop
    updateTimeLabels();
}
