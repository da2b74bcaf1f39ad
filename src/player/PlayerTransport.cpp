#include "player/PlayerWindowController.h"

#include "analysis/TrackTitles.h"
#include "ui/AlertPresenter.h"
#include "ui/QueueWindowController.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TargetAction.h"
#include "views/TransportButton.h"

#include <algorithm>

namespace {

// A track further in than this restarts on "previous" instead of going back a track.
constexpr double previousRestartsAfterSeconds = 3.0;

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
    if (!m_player || !m_player->isPlaying())
        return;
    m_player->pause();
    m_paused = true;
    stopTimer();
    setReelsAnimating(false);
    updateTransportState();
    updateTimeLabels();
}

void PlayerWindowController::togglePlayPause()
{
    if (m_player && m_player->isPlaying())
        pause();
    else
        startPlayback();
}

void PlayerWindowController::startPlayback()
{
    if (!m_player)
        return;
    m_player->play();
    m_paused = false;
    setReelsAnimating(true);
    startTimer();
    updateTransportState();
    updateTimeLabels();
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
    if (m_player) {
        m_player->stop();
        if (rewind)
            m_player->setCurrentTime(0.0);
    }
    m_paused = false;
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
    if (m_playlist.isEmpty())
        return;
    if (m_nextPlayer)
        changeTrack(m_nextPlayerIndex);
    else if (m_playlistIndex < m_playlist.size() - 1)
        changeTrack(nextTrackIndex());
    else
        stopPlaybackAndReset(true);
}

qint64 PlayerWindowController::nextTrackIndex()
{
    const qint64 count = m_playlist.size();
    if (!m_shuffleEnabled || count < 2)
        return m_playlistIndex + 1;
    // Forward only: uniformly one of the entries after the current one.
    std::uniform_int_distribution<qint64> laterEntry(m_playlistIndex + 1, count - 1);
    return laterEntry(m_shuffleRandom);
}

void PlayerWindowController::playPreviousTrack()
{
    if (m_playlist.isEmpty())
        return;
    if (m_player && m_player->currentTime() > previousRestartsAfterSeconds) {
        m_player->setCurrentTime(0.0);
        Q_EMIT positionJumped();
        updateTimeLabels();
        return;
    }
    changeTrack(std::max<qint64>(m_playlistIndex - 1, 0));
}

void PlayerWindowController::setShuffleEnabled(bool enabled)
{
    if (enabled != m_shuffleEnabled)
        discardNextPlayer(); // chosen by the other rule
    m_shuffleEnabled = enabled;
    Q_EMIT stateChanged();
}

void PlayerWindowController::playPlaylistIndex(qint64 index)
{
    if (index >= 0 && index < m_playlist.size())
        changeTrack(index);
}

void PlayerWindowController::changeTrack(qint64 index)
{
    m_advancingTrack = true;
    m_playlistIndex = index;
    loadCurrentURL(m_playlist[index], true);
    m_advancingTrack = false;
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
    if (advancesAfterThisTrack())
        playNextTrack();
    else
        stopPlaybackAndReset(true);
}

bool PlayerWindowController::advancesAfterThisTrack() const
{
    return m_playlist.size() >= 2 && m_playlistIndex < m_playlist.size() - 1;
}

// A read error ended the track: it is skipped like an entry that cannot be opened.
void PlayerWindowController::handleTrackThatCannotBeRead()
{
    m_player.reset();
    if (advancesAfterThisTrack())
        changeTrack(m_playlistIndex + 1);
    else
        reportLoadFailure();
}

void PlayerWindowController::audioPlayerWillFinishPlaying(AudioPlayer* player)
{
    if (player == m_player.get() && m_nextPlayerIndex < 0 && !m_loopEnabled &&
        advancesAfterThisTrack())
        startNextTrackBehindThisOne();
}

// The next entry plays right behind the tail of the current one, so that the change is without
// a break; the window, the queue and the desktop learn of it when its first frame is heard.
// One that cannot be opened is left to the change at the end, which reports it.
void PlayerWindowController::startNextTrackBehindThisOne()
{
    const qint64 index = nextTrackIndex();
    const QUrl& url = m_playlist[index];
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

// Started only while it is still wanted: for the same track, not discarded since, and not
// taken over by the change at the end, which opened it itself.
void PlayerWindowController::nextTrackOpened(TrackOpener::Opened opened, const AudioPlayer* current,
                                             std::uint64_t generation)
{
    if (!opened.opening || !isAnalysisGenerationCurrent(generation) || current != m_player.get() ||
        opened.index != m_nextPlayerIndex || m_nextPlayer)
        return;
    std::unique_ptr<AudioPlayer> next = opened.opening->player();
    next->setDelegate(this);
    next->setVolume(m_volume);
    next->prepareToPlay();
    next->play();
    m_nextPlayer = std::move(next);
}

std::unique_ptr<AudioPlayer> PlayerWindowController::takeNextPlayer(const QUrl& url)
{
    if (!m_nextPlayer || m_nextPlayerIndex != m_playlistIndex ||
        m_playlist.value(m_playlistIndex) != url)
        return nullptr;
    m_nextPlayerIndex = -1;
    return std::move(m_nextPlayer);
}

void PlayerWindowController::discardNextPlayer()
{
    m_nextPlayer.reset();
    m_nextPlayerIndex = -1;
}

void PlayerWindowController::showUpcomingTracks()
{
    const qint64 count = m_playlist.size();
    if (count >= 2 && m_playlistIndex >= 0 && m_playlistIndex < count - 1) {
        if (!m_queueWindow)
            m_queueWindow = std::make_unique<QueueWindowController>(this);
        m_queueWindow->reloadAndShow();
        return;
    }
    m_alerts.runModal(
        {QStringLiteral("Warteschlange"), QStringLiteral("Keine weiteren Titel in der Liste.")});
}

std::vector<UpcomingTrackItem> PlayerWindowController::upcomingTrackItems() const
{
    std::vector<UpcomingTrackItem> items;
    const qint64 count = m_playlist.size();
    if (count < 2 || m_playlistIndex < 0 || m_playlistIndex >= count - 1)
        return items;
    for (qint64 index = m_playlistIndex + 1; index < count; ++index)
        items.push_back({index, fileTitleForURL(m_playlist[index])});
    return items;
}

void PlayerWindowController::updateTransportState()
{
    m_playButton->setTransportActive(m_player && m_player->isPlaying());
    m_pauseButton->setTransportActive(m_paused);
    m_loopAButton->setTransportActive(m_loopStart >= 0);
    m_loopBButton->setTransportActive(m_loopEnd >= 0);
    m_loopClearButton->setTransportActive(m_loopEnabled);
    Q_EMIT stateChanged();
}

void PlayerWindowController::setReelsAnimating(bool animating)
{
    m_backgroundView->setReelsAnimating(animating);
    m_backgroundView->update();
}
