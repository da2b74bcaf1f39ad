#include "player/PlayerWindowController.h"

#include "decoder/TrackTitles.h"
#include "player/AlertPresenter.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TargetAction.h"
#include "views/TransportButton.h"

#include <algorithm>

namespace {

// A track further in than this restarts on "previous" instead of going back a track.
constexpr double previousRestartsAfterSeconds = 3.0;
// The next entry is opened this long before the current one ends (at once in a shorter track),
// so that a file that is slow to open (a disk waking up, a network share) still follows
// without a break.
constexpr double prepareNextTrackSeconds = 10.0;

} // namespace

void PlayerWindowController::playButtonPressed(QObject*)
{
    startPlayback();
}

void PlayerWindowController::pauseButtonPressed(QObject*)
{
    pause();
}

void PlayerWindowController::vintagePlayPausePressed(QObject*)
{
    togglePlayPause();
}

void PlayerWindowController::pause()
{
    if (!m_player && m_playWhenOpened) {
        // Only an opening that is to play can be held paused; one that stays stopped stays so.
        if (*m_playWhenOpened)
            decideWhileOpening(false);
        return;
    }
    if (!m_player || !m_player->isPlaying())
        return;
    m_player->pause();
    m_state.setPaused(true);
    stopTimer();
    setReelsAnimating(false);
    updateTransportState();
    updateTimeLabels();
}

void PlayerWindowController::togglePlayPause()
{
    if (isPlayingOrToPlay())
        pause();
    else
        startPlayback();
}

void PlayerWindowController::startPlayback()
{
    if (!m_player && m_playWhenOpened) {
        decideWhileOpening(true);
        return;
    }
    if (!m_player)
        return;
    m_player->play();
    m_state.setPaused(false);
    m_entryWaitsForPlay = false;
    setReelsAnimating(true);
    startTimer();
    updateTransportState();
    updateTimeLabels();
}

// A Play or Pause given while the track opens: it plays, or stays paused, once it has opened.
void PlayerWindowController::decideWhileOpening(bool play)
{
    m_playWhenOpened = play;
    m_state.setPaused(!play);
    updateTransportState();
}

// Playing, or opening to play.
bool PlayerWindowController::isPlayingOrToPlay() const
{
    return isPlaying() || m_playWhenOpened.value_or(false);
}

void PlayerWindowController::stopButtonPressed(QObject*)
{
    stop();
}

void PlayerWindowController::stop()
{
    stopPlaybackAndReset(true);
}

void PlayerWindowController::stopPlaybackAndReset(bool rewind)
{
    discardNextPlayer();
    m_currentHandedToEnd = false;
    if (m_playWhenOpened) {
        // Stopped while it opens: it stays at its start, also when a session would resume it.
        m_playWhenOpened = false;
        m_pendingResume.reset();
    }
    if (m_player) {
        m_player->stop();
        if (rewind)
            m_player->setCurrentTime(0.0);
    }
    m_state.setPaused(false);
    stopTimer();
    setReelsAnimating(false);
    updateTransportState();
    updateTimeLabels();
}

void PlayerWindowController::ejectButtonPressed(QObject*)
{
    stopPlaybackAndReset(true);
    TargetAction::send(m_applicationDelegate, "chooseFile", this);
}

void PlayerWindowController::previousButtonPressed(QObject*)
{
    playPreviousTrack();
}

void PlayerWindowController::nextButtonPressed(QObject*)
{
    playNextTrack();
}

void PlayerWindowController::playlistButtonPressed(QObject*)
{
    showUpcomingTracks();
}

void PlayerWindowController::playNextTrack()
{
    if (playlist().isEmpty())
        return;
    if (m_nextPlayerIndex >= 0)
        changeTrack(m_nextPlayerIndex); // the entry already chosen, shuffled or not
    else if (m_state.hasEntryAfterCurrent())
        changeTrack(m_state.nextIndex());
    else
        stopPlaybackAndReset(true);
}

void PlayerWindowController::playPreviousTrack()
{
    if (playlist().isEmpty())
        return;
    if (m_player && m_player->currentTime() > previousRestartsAfterSeconds) {
        m_player->setCurrentTime(0.0);
        Q_EMIT positionJumped();
        updateTimeLabels();
        return;
    }
    changeTrack(m_state.previousIndex());
}

void PlayerWindowController::setShuffleEnabled(bool enabled)
{
    if (enabled != m_state.isShuffleEnabled())
        discardNextPlayer(); // chosen by the other rule
    m_state.setShuffleEnabled(enabled);
    applyReplayGainMode(); // under Automatic, the order decides the gain
    Q_EMIT stateChanged();
}

void PlayerWindowController::playPlaylistIndex(qint64 index)
{
    if (m_state.containsIndex(index))
        changeTrack(index);
}

void PlayerWindowController::changeTrack(qint64 index, bool autoplay)
{
    m_advancingTrack = true;
    m_state.setPlaylistIndex(index);
    loadCurrentURL(playlist()[index], autoplay);
    m_advancingTrack = false;
}

void PlayerWindowController::setStopAfterCurrentTrack(bool stop)
{
    m_stopAfterCurrentTrack = stop;
    if (stop)
        discardNextPlayer(); // nothing may follow the track without a break
    Q_EMIT stateChanged();
}

// The mark is used up: the next entry waits at its start for Play; after the last, the list
// ends as it always does.
void PlayerWindowController::stopAtNextEntry()
{
    m_stopAfterCurrentTrack = false;
    if (m_state.hasEntryAfterCurrent()) {
        changeTrack(m_state.nextIndex(), false);
        m_entryWaitsForPlay = true;
    } else {
        stopPlaybackAndReset(true);
    }
}

void PlayerWindowController::audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully)
{
    if (m_advancingTrack || player != m_player.get())
        return;
    // Handled after the player's own call has returned; dropped if another track was loaded
    // (and with it another player made current) in between.
    const std::uint64_t generation = *m_analysisGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation, successfully] {
            if (!isAnalysisGenerationCurrent(generation))
                return;
            if (successfully)
                handlePlaybackFinished();
            else
                handleTrackThatCannotBeRead();
        },
        Qt::QueuedConnection);
}

void PlayerWindowController::handlePlaybackFinished()
{
    if (m_advancingTrack)
        return;
    if (m_stopAfterCurrentTrack)
        stopAtNextEntry();
    else if (m_state.hasEntryAfterCurrent())
        playNextTrack();
    else
        stopPlaybackAndReset(true);
}

// A read error ended the track: the list goes on as at its natural end, in order or shuffled,
// and a "stop after this track" stops it there; at the last entry the error is reported, and
// the mark is used up with the list. A track that did not play (stopped, paused, waiting for
// Play) leaves the next entry waiting in its place: nobody asked for playing.
void PlayerWindowController::handleTrackThatCannotBeRead()
{
    const bool wasPlaying = isTimerRunning();
    const bool waited = m_entryWaitsForPlay;
    m_player.reset();
    if (!m_state.hasEntryAfterCurrent()) {
        if (wasPlaying)
            setStopAfterCurrentTrack(false);
        reportLoadFailure();
    } else if (!wasPlaying) {
        changeTrack(m_state.nextIndex(), false);
        m_entryWaitsForPlay = waited;
    } else if (m_stopAfterCurrentTrack) {
        stopAtNextEntry();
    } else {
        playNextTrack();
    }
}

void PlayerWindowController::audioPlayerWillFinishPlaying(AudioPlayer* player)
{
    if (player != m_player.get())
        return;
    m_currentHandedToEnd = true;
    prepareNextTrack(); // at once, where it was not prepared yet
    startPreparedTrack();
}

// Whether the next entry may follow the current one without a break: the loop jumps back
// before the end, and "stop after this track" waits for Play.
bool PlayerWindowController::mayFollowWithoutBreak() const
{
    return !m_state.isLoopEnabled() && !m_stopAfterCurrentTrack && m_state.hasEntryAfterCurrent();
}

// With the position the clock has just read.
void PlayerWindowController::prepareNextTrackNearTheEnd(double time, double duration)
{
    if (m_player->isPlaying() && duration - time <= prepareNextTrackSeconds)
        prepareNextTrack();
}

// Opens the entry that comes next by the list's rule, in order or shuffled; it is started
// once the current track has handed its last frame to the sound output, so that it plays
// right behind its tail, and the window, the queue and the desktop learn of it when its first
// frame is heard. One that cannot be opened is left to the change at the end, which reports it.
void PlayerWindowController::prepareNextTrack()
{
    if (m_nextPlayerIndex >= 0 || !m_player || !mayFollowWithoutBreak())
        return;
    const qint64 index = m_state.nextIndex();
    const QUrl& url = playlist()[index];
    if (!url.isLocalFile())
        return;
    m_nextPlayerIndex = index;
    const AudioPlayer* current = m_player.get();
    const std::uint64_t generation = *m_analysisGeneration;
    m_opener->open({{index, url.toLocalFile()}},
                   [this, current, generation](TrackOpener::Opened opened) {
                       nextTrackOpened(std::move(opened), current, generation);
                   });
}

// Kept only while it is still wanted: for the same track, and not discarded since.
void PlayerWindowController::nextTrackOpened(TrackOpener::Opened opened, const AudioPlayer* current,
                                             std::uint64_t generation)
{
    if (!opened.opening || !isAnalysisGenerationCurrent(generation) || current != m_player.get() ||
        opened.index != m_nextPlayerIndex || m_nextPlayer || m_preparedOpening)
        return;
    m_preparedOpening = std::move(opened.opening);
    startPreparedTrack();
}

void PlayerWindowController::startPreparedTrack()
{
    if (!m_currentHandedToEnd || !m_preparedOpening || !mayFollowWithoutBreak())
        return;
    std::unique_ptr<AudioPlayer> next = std::exchange(m_preparedOpening, nullptr)->player();
    next->setDelegate(this);
    next->setVolume(m_volume);
    next->setReplayGainMode(heardReplayGainMode());
    next->prepareToPlay();
    next->play();
    m_nextPlayer = std::move(next);
}

// The next entry's player, started or only prepared, when `url` is that entry.
std::unique_ptr<AudioPlayer> PlayerWindowController::takeNextPlayer(const QUrl& url)
{
    if (m_nextPlayerIndex != playlistIndex() || playlist().value(playlistIndex()) != url)
        return nullptr;
    std::unique_ptr<AudioPlayer> next = std::move(m_nextPlayer);
    if (!next && m_preparedOpening)
        next = std::exchange(m_preparedOpening, nullptr)->player();
    m_nextPlayerIndex = -1;
    return next;
}

void PlayerWindowController::discardNextPlayer()
{
    m_nextPlayer.reset();
    m_preparedOpening.reset();
    m_nextPlayerIndex = -1;
}

void PlayerWindowController::showUpcomingTracks()
{
    if (m_state.hasEntryAfterCurrent()) {
        if (!m_queueWindow && m_queueWindowFactory)
            m_queueWindow = m_queueWindowFactory(this);
        if (m_queueWindow)
            m_queueWindow->reloadAndShow();
        return;
    }
    m_alerts.runModal(
        {QStringLiteral("Warteschlange"), QStringLiteral("Keine weiteren Titel in der Liste.")});
}

void PlayerWindowController::setQueueWindowFactory(UpcomingTracksWindow::Factory factory)
{
    m_queueWindowFactory = std::move(factory);
}

std::vector<UpcomingTrackItem> PlayerWindowController::upcomingTrackItems() const
{
    std::vector<UpcomingTrackItem> items;
    if (!m_state.hasEntryAfterCurrent())
        return items;
    const QList<QUrl>& entries = playlist();
    for (qint64 index = playlistIndex() + 1; index < entries.size(); ++index)
        items.push_back({index, fileTitleForURL(entries[index])});
    return items;
}

void PlayerWindowController::updateTransportState()
{
    m_playButton->setTransportActive(isPlayingOrToPlay());
    m_pauseButton->setTransportActive(m_state.isPaused());
    m_loopAButton->setTransportActive(m_state.hasLoopStart());
    m_loopBButton->setTransportActive(m_state.hasLoopEnd());
    m_loopClearButton->setTransportActive(m_state.isLoopEnabled());
    Q_EMIT stateChanged();
}

void PlayerWindowController::setReelsAnimating(bool animating)
{
    m_backgroundView->setReelsAnimating(animating);
    m_backgroundView->update();
}
