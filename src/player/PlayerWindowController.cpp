#include "player/PlayerWindowController.h"

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "decoder/TrackTitles.h"
#include "player/AlertPresenter.h"
#include "player/WindowPlacement.h"
#include "views/ElidedLabel.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/WaveformView.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>

namespace {

constexpr int initialContentHeight = 224;

} // namespace

PlayerWindowController::PlayerWindowController(AudioPlayer::Factory playerFactory,
                                               AlertPresenter& alerts, QObject* parent)
    : PlayerInterface(parent), m_opener(std::make_unique<TrackOpener>(std::move(playerFactory))),
      m_alerts(alerts), m_state(QRandomGenerator::system()->generate64()),
      m_analysisGeneration(std::make_shared<std::atomic<std::uint64_t>>(0))
{
    m_window = std::make_unique<QMainWindow>();
    m_window->setWindowTitle(QStringLiteral("Kassolin"));
    m_window->setCentralWidget(new TapeDeckBackgroundView(m_window.get()));
    setWindowContentSize(QSizeF(standardContentWidth, initialContentHeight), false);

    m_pacedByFrames = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlayerWindowController::tick);
    // The queue window lists what comes after the current entry, whatever changed it; a hidden
    // one takes its snapshot when it is shown again.
    connect(this, &PlayerWindowController::stateChanged, this, [this] {
        if (m_queueWindow && m_queueWindow->window()->isVisible())
            m_queueWindow->reload();
    });
    buildInterface();
}

PlayerWindowController::~PlayerWindowController()
{
    // The jobs and openings still running are forgotten, not waited for: a disk that does not
    // answer must not hold the quit.
    ++*m_analysisGeneration;
    m_analysisJobs.cut();
    m_opener.reset();
    m_timer.stop();
    m_preparedOpening.reset();
    m_nextPlayer.reset();
    m_player.reset();
}

void PlayerWindowController::showWindow()
{
    // Centred at the size it is first shown with. A window manager frames the window only as it
    // maps it, so the frame is centred once more when the window first appears (eventFilter);
    // from then on the window stays where the user puts it. Each exposure after that feeds the
    // displays that were not drawn while the window could not be seen.
    const bool firstShow = !m_windowShown;
    if (firstShow)
        centreWindowFrame();
    m_window->show();
    m_windowShown = true;
    if (QWindow* handle = m_window->windowHandle(); firstShow && handle) {
        handle->installEventFilter(this);
        m_window->installEventFilter(this);
        m_visibility = std::make_unique<WindowVisibility>(*handle);
        connect(m_visibility.get(), &WindowVisibility::coveredChanged, this,
                [this] { windowExposed(); });
    }
    m_window->raise();
    m_window->activateWindow();
}

void PlayerWindowController::raiseWindow()
{
    // A minimized window comes back too: showing it alone would leave it an icon.
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    showWindow();
}

bool PlayerWindowController::isPlaying() const
{
    return m_player && m_player->isPlaying();
}

double PlayerWindowController::currentTime() const
{
    return m_player ? m_player->currentTime() : 0.0;
}

double PlayerWindowController::duration() const
{
    return m_player ? m_player->duration() : 0.0;
}

bool PlayerWindowController::eventFilter(QObject* watched, QEvent* event)
{
    const bool overDisplay =
        watched == m_waveformView || watched == m_meterView || watched == m_spectrumView;
    if (event->type() == QEvent::Wheel && overDisplay)
        return wheelVolume(*static_cast<QWheelEvent*>(event));
    if (event->type() == QEvent::UpdateRequest && m_pacedByFrames)
        return paceUpdate(watched);
    if (event->type() == QEvent::Expose && watched == m_window->windowHandle()) {
        if (!std::exchange(m_frameCentredOnMap, true))
            centreWindowFrame();
        windowExposed();
    }
    return QObject::eventFilter(watched, event);
}

// Paced by frames, the window's own request to be drawn waits for the next frame, which the
// window system sends as its native window's update request. That frame draws what is dirty;
// the native window's own handling would draw the whole window again. While the clock runs,
// each frame first shows the position and asks for the next one: the frames drive the
// displays, and the clock only watches the loop, the end and the next track (one wake-up a
// frame, not two; none while the window system sends no frames, as for a hidden window).
bool PlayerWindowController::paceUpdate(QObject* watched)
{
    QWindow* handle = m_window->windowHandle();
    if (!handle || m_frameDue)
        return false;
    if (watched == handle) {
        const bool clockRuns = isTimerRunning();
        if (clockRuns && !isWindowUnseen())
            showCurrentPosition();
        m_frameDue = true;
        QEvent update(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(m_window.get(), &update);
        m_frameDue = false;
        if (clockRuns)
            handle->requestUpdate();
    } else {
        handle->requestUpdate();
    }
    return true;
}

void PlayerWindowController::centreWindowFrame()
{
    const QScreen* screen = m_window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = m_window->frameGeometry().size();
    const QPoint centred(area.x() + (area.width() - frame.width()) / 2,
                         area.y() + (area.height() - frame.height()) / 2);
    m_window->move(positionInside(QRect(centred, frame), area));
}

void PlayerWindowController::loadFile(const QUrl& url, bool autoplay)
{
    if (!url.isEmpty())
        m_state.setPlaylist({url}, 0);
    m_consecutiveLoadFailures = 0;
    loadCurrentURL(url, autoplay);
}

void PlayerWindowController::loadPlaylist(const QList<QUrl>& urls, qint64 startIndex, bool autoplay)
{
    if (urls.isEmpty())
        return;
    m_state.setPlaylist(urls, startIndex);
    m_consecutiveLoadFailures = 0;
    loadCurrentURL(playlist()[playlistIndex()], autoplay);
}

qsizetype PlayerWindowController::appendToPlaylist(const QList<QUrl>& urls)
{
    // Stopped at the list's end: the last entry has ended, or has been stopped, or failed. One
    // that waits at its start after "stop after this track" waits on for Play.
    const bool idle = !m_state.hasEntryAfterCurrent() && !isPlayingOrToPlay() &&
                      !m_state.isPaused() && !isOpeningCurrentEntry() && !m_entryWaitsForPlay;
    const qint64 firstAdded = playlist().size();
    const qsizetype added = m_state.append(urls);
    if (added == 0)
        return 0;
    if (idle) {
        m_consecutiveLoadFailures = 0;
        changeTrack(firstAdded);
    }
    Q_EMIT stateChanged();
    return added;
}

void PlayerWindowController::keepUpcomingEntries(const QList<qint64>& kept)
{
    const qint64 prepared = m_nextPlayerIndex;
    const qsizetype preparedAt = kept.indexOf(prepared);
    if (!m_state.keepUpcoming(kept))
        return;
    if (prepared >= 0 && preparedAt != prepared - playlistIndex() - 1)
        discardNextPlayer(); // the near end opens what the rules now choose
    Q_EMIT stateChanged();
}

void PlayerWindowController::resumeSession(const SavedSession& session)
{
    // The load about to start is the next generation.
    m_pendingResume = {*m_analysisGeneration + 1, session.position,
                       session.paused || session.position > 0.0};
    loadPlaylist(session.playlist, session.index, false);
}

// The track opens off the main thread. An entry that cannot be opened is skipped for the next
// one while the list plays on; the entries to try are handed over at once, so that a long
// playlist of broken files is one opening and no recursion.
void PlayerWindowController::loadCurrentURL(const QUrl& url, bool autoplay)
{
    std::unique_ptr<AudioPlayer> started = leaveCurrentTrack(url);
    const std::uint64_t generation = *m_analysisGeneration;
    if (started) {
        m_consecutiveLoadFailures = 0;
        showTrack(std::move(started), autoplay, generation);
        return;
    }
    m_playWhenOpened = autoplay;
    updateTransportState();
    QList<TrackOpener::Candidate> candidates = candidatesFrom(url, autoplay);
    const qint64 lastTried = candidates.isEmpty() ? playlistIndex() : candidates.back().index;
    const qint64 tried = candidates.size();
    m_opener->open(std::move(candidates), [this, lastTried, tried,
                                           generation](TrackOpener::Opened opened) {
        if (!isAnalysisGenerationCurrent(generation))
            return;
        const bool play = std::exchange(m_playWhenOpened, std::nullopt).value();
        m_consecutiveLoadFailures =
            opened.opening ? 0 : m_consecutiveLoadFailures + skipsCounted(lastTried, tried, play);
        trackOpened(std::move(opened), lastTried, play, generation);
    });
}

// Stops the track that plays and makes `url` current; gives its player when it was started
// behind the one that played.
std::unique_ptr<AudioPlayer> PlayerWindowController::leaveCurrentTrack(const QUrl& url)
{
    m_currentFile = url;
    m_trackTags = {};
    m_playWhenOpened.reset();
    m_entryWaitsForPlay = false;
    m_state.enterTrack();
    ++*m_analysisGeneration;
    std::unique_ptr<AudioPlayer> started = takeNextPlayer(url);
    stopPlaybackAndReset(true);
    m_player.reset();   // the old player leaves the output before the next one joins it
    updateTimeLabels(); // nothing of the old track's times while the next one opens
    m_titleLabel->setText(fileTitleForURL(url));
    clearAnalysisResults();
    return started;
}

QList<TrackOpener::Candidate> PlayerWindowController::candidatesFrom(const QUrl& url,
                                                                     bool autoplay) const
{
    QList<TrackOpener::Candidate> candidates;
    if (url.isLocalFile())
        candidates.append({playlistIndex(), url.toLocalFile()});
    if (!autoplay)
        return candidates;
    const QList<QUrl>& entries = playlist();
    const qint64 tries = std::max<qint64>(entries.size() - m_consecutiveLoadFailures, 1);
    for (qint64 index = playlistIndex() + 1; index < entries.size() && candidates.size() < tries;
         ++index) {
        if (entries[index].isLocalFile())
            candidates.append({index, entries[index].toLocalFile()});
    }
    return candidates;
}

// The entries a failed opening skipped: each but the last tried, and the last too where the
// skip rule gave up on it with entries still after it (it was tried as often as the list is long).
qint64 PlayerWindowController::skipsCounted(qint64 lastTried, qint64 tried, bool autoplay) const
{
    const bool gaveUpBeforeTheEnd = autoplay && lastTried < playlist().size() - 1;
    return std::max<qint64>(tried - 1, 0) + (gaveUpBeforeTheEnd ? 1 : 0);
}

void PlayerWindowController::trackOpened(TrackOpener::Opened opened, qint64 lastTried, bool play,
                                         std::uint64_t generation)
{
    // The last entry tried is the one reported; the one that opened is the one shown.
    makeEntryCurrent(opened.opening ? opened.index : lastTried);
    if (!opened.opening) {
        reportLoadFailure();
        return;
    }
    showTrack(opened.opening->player(), play, generation);
}

// The index, the file and the title name the same entry.
void PlayerWindowController::makeEntryCurrent(qint64 index)
{
    if (index == playlistIndex())
        return;
    m_state.setPlaylistIndex(index);
    m_currentFile = playlist()[index];
    m_titleLabel->setText(fileTitleForURL(m_currentFile));
}

void PlayerWindowController::showTrack(std::unique_ptr<AudioPlayer> player, bool autoplay,
                                       std::uint64_t generation)
{
    m_player = std::move(player);
    m_player->setDelegate(this);
    m_player->setVolume(m_volume);
    m_player->setReplayGainMode(heardReplayGainMode());
    m_player->prepareToPlay();
    resetDisplaysForNewTrack();
    updateTimeLabels();
    startAnalyses(m_currentFile, generation);
    applyPendingResume(generation);
    if (autoplay)
        startPlayback();
    Q_EMIT stateChanged();
}

void PlayerWindowController::applyPendingResume(std::uint64_t generation)
{
    const std::optional<PendingResume> resume = std::exchange(m_pendingResume, std::nullopt);
    if (!resume || resume->generation != generation)
        return;
    seekToTime(std::min(resume->position, m_player->duration()));
    // A Pause given while it opened holds too.
    m_state.setPaused(resume->paused || m_state.isPaused());
    updateTransportState();
}

// While the next track opens, nothing of the last one stays shown.
void PlayerWindowController::clearAnalysisResults()
{
    m_waveformView->setPeaks({});
    m_spectrumFrames.clear();
    m_bassMeterFrames.clear();
}

void PlayerWindowController::resetDisplaysForNewTrack()
{
    const double duration = m_player->duration();
    m_waveformView->setDuration(duration);
    m_spectrumFrameDuration = spectrumFrameDurationForDuration(duration);
    m_bassMeterFrameDuration = bassMeterFrameDurationForDuration(duration);
    m_scrubber->setValue(0.0);
    m_waveformView->setCurrentTime(0.0);
    m_spectrumView->setSpectrumLevels(emptySpectrumLevels());
}

void PlayerWindowController::startAnalyses(const QUrl& url, std::uint64_t generation)
{
    const double duration = m_player->duration();
    analyzeTitleForURL(url, generation);
    analyzeWaveformForURL(url, duration, generation);
    analyzeBassMeterForURL(url, m_bassMeterFrameDuration, generation);
    analyzeSpectrumForURL(url, m_spectrumFrameDuration, generation);
}

void PlayerWindowController::reportLoadFailure()
{
    const std::uint64_t generation = *m_analysisGeneration;
    // The track change has ended in this failure. A track started while the alert is open
    // (an open request) must be free to end and advance, so no change is in progress now.
    m_advancingTrack = false;
    Q_EMIT stateChanged(); // the track is gone already while the alert is up
    showError(QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden."));
    // The alert ran an event loop of its own: a track loaded meanwhile owns the state now.
    if (!isAnalysisGenerationCurrent(generation))
        return;
    stopPlaybackAndReset(true);
}

void PlayerWindowController::setVolume(float volume)
{
    if (std::isnan(volume))
        return;
    m_volume = std::min(std::max(volume, 0.0f), 1.0f);
    if (m_player)
        m_player->setVolume(m_volume);
    Q_EMIT stateChanged();
}

void PlayerWindowController::stepVolume(int steps)
{
    // On the grid of 5 % steps, from wherever the desktop left it.
    const float level = std::round(m_volume * 20.0f) + static_cast<float>(steps);
    setVolume(std::clamp(level, 0.0f, 20.0f) / 20.0f);
    const QString told = QStringLiteral("Lautstärke %1 %").arg(std::lround(m_volume * 100.0f));
    m_volumeAnnouncement->setText(told);
    m_volumeAnnouncement->setAccessibleName(told);
    QAccessibleEvent alert(m_volumeAnnouncement, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void PlayerWindowController::setReplayGainMode(ReplayGainMode mode)
{
    m_replayGainMode = mode;
    applyReplayGainMode();
}

ReplayGainMode PlayerWindowController::heardReplayGainMode() const
{
    if (m_replayGainMode != ReplayGainMode::Automatic)
        return m_replayGainMode;
    return isShuffleEnabled() ? ReplayGainMode::Track : ReplayGainMode::Album;
}

void PlayerWindowController::applyReplayGainMode()
{
    for (AudioPlayer* player : {m_player.get(), m_nextPlayer.get()})
        if (player)
            player->setReplayGainMode(heardReplayGainMode());
}

void PlayerWindowController::showError(const QString& message)
{
    m_alerts.runModal({message, m_currentFile.fileName()});
}

#include "moc_PlayerInterface.cpp"
#include "moc_PlayerWindowController.cpp"
