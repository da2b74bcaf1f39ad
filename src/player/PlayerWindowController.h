#pragma once

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTags.h"
#include "audio/AudioPlayer.h"
#include "audio/AudioPlayerDelegate.h"
#include "audio/ReceiverLink.h"
#include "player/PlayerInterface.h"
#include "player/PlayerState.h"
#include "player/SavedSession.h"
#include "player/TrackOpener.h"
#include "player/UpcomingTrackItem.h"
#include "player/UpcomingTracksWindow.h"
#include "player/WindowVisibility.h"
#include "views/TimeLabel.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <QUrl>

class AlertPresenter;
class AnalysisGeneration;
class ElidedLabel;
class LEDMeterView;
class MiniScrubberView;
class QHBoxLayout;
class QLabel;
class QWheelEvent;
class QMainWindow;
class QVBoxLayout;
class QWidget;
class SpectrumAnalyzerView;
class TapeDeckBackgroundView;
class TapeDeckLayout;
class TransportButton;
class WaveformView;

// The player: its window and every view in it, the audio player of the current track, the
// position clock, the playlist and the analysis results of the current track.
//
// Everything runs on the main thread. The one value read elsewhere is the analysis
// generation, an atomic counter that every attempted load increments: background jobs carry
// the value of their load, stop decoding once it has moved on, and their results are applied
// on the main thread only while it is still current.
//
// The playlist, pause, shuffle and the loop are a PlayerState, which knows no window. The
// implementation is split by concern: loading here; transport, clock, loop, the analysis jobs
// with the display feed, the window's construction, its two layouts and the panels' visibility
// in the files named after them.
class PlayerWindowController final : public PlayerInterface, private AudioPlayerDelegate
{
    Q_OBJECT

public:
    // How far the Left and Right keys seek.
    static constexpr double keySeekSeconds = 5.0;
    // The standard look's window is this wide whatever it shows.
    static constexpr double standardContentWidth = 340.0;

    PlayerWindowController(AudioPlayer::Factory playerFactory, AlertPresenter& alerts,
                           QObject* parent = nullptr);
    ~PlayerWindowController() override;

    QMainWindow* window() const { return m_window.get(); }
    void showWindow();
    // While the screen is locked the window counts as not seen.
    void setScreenLocked(bool locked);
    // Whether the window is drawn only when the window system asks for its next frame, so that
    // a hidden or throttled window draws nothing; on by default under Wayland, whose
    // compositor paces the frames.
    void setPacedByFrames(bool paced) { m_pacedByFrames = paced; }
    // The object that shows the open panel when eject is pressed: it is sent chooseFile(sender)
    // when it has such a slot.
    void setApplicationDelegate(QObject* delegate) { m_applicationDelegate = delegate; }

    // Loading
    void loadFile(const QUrl& url, bool autoplay = false);
    void loadPlaylist(const QList<QUrl>& urls, qint64 startIndex, bool autoplay);
    // Adds the tracks to the end of the list, as many as fit, and gives their number. What plays
    // goes on; with nothing to play (no list, or stopped at its end) the first added starts.
    qsizetype appendToPlaylist(const QList<QUrl>& urls);
    // The queue window's edit: the entries after the current one become those at `kept`, in
    // that order. The current track plays on; a next track opened ahead is kept only where
    // the edit leaves it where it was.
    void keepUpcomingEntries(const QList<qint64>& kept);
    // Loads the session's entry without playing it and, once it has opened, goes to its
    // position; a track left playing comes back paused there.
    void resumeSession(const SavedSession& session);

    // Transport: the operations that the keys, the menu, MPRIS and the media keys all use.
    void startPlayback() override;
    void pause() override;
    void togglePlayPause() override;
    void stop() override;
    void playNextTrack() override;
    void playPreviousTrack() override;
    void playPlaylistIndex(qint64 index);
    // While set, the natural end of a track stops playback, with the next entry current at its
    // start; it then clears itself. It holds across track changes by hand.
    void setStopAfterCurrentTrack(bool stop);
    bool stopsAfterCurrentTrack() const { return m_stopAfterCurrentTrack; }
    void showUpcomingTracks();
    std::vector<UpcomingTrackItem> upcomingTrackItems() const;
    void setShuffleEnabled(bool enabled);
    bool isShuffleEnabled() const override { return m_state.isShuffleEnabled(); }
    // 0 … 1, kept from track to track.
    void setVolume(float volume) override;
    float volume() const override { return m_volume; }
    // Louder or softer by `steps` of 5 %, told to a screen reader ("Lautstärke 65 %").
    void stepVolume(int steps);
    // Which ReplayGain each track plays at; the analyses and displays read it unchanged.
    void setReplayGainMode(ReplayGainMode mode);
    ReplayGainMode replayGainMode() const { return m_replayGainMode; }
    // The gain heard: under Automatic the album's in order, the track's shuffled.
    ReplayGainMode heardReplayGainMode() const;

    // Position clock
    bool isTimerRunning() const { return m_timer.isActive(); }
    void updateTimeLabels();
    // Moves the position of the current track, as the scrubber does.
    void seekToTime(double seconds) override;

    // A-B loop
    void setLoopStartAtCurrentTime();
    void setLoopEndAtCurrentTime();
    void clearLoopPoints();
    bool isLoopEnabled() const { return m_state.isLoopEnabled(); }
    double loopStart() const { return m_state.loopStart(); }
    double loopEnd() const { return m_state.loopEnd(); }

    // Background analysis and display feed
    void setBassMeterFrames(BassMeterFrames frames);
    void setSpectrumFrames(SpectrumFrames frames);
    const BassMeterFrames& bassMeterFrames() const { return m_bassMeterFrames; }
    const SpectrumFrames& spectrumFrames() const { return m_spectrumFrames; }

    // Window construction and panel visibility
    void buildInterface();
    bool isLEDVisible() const;
    void setLEDVisible(bool visible);
    bool isWaveformVisible() const;
    void setWaveformVisible(bool visible);
    bool isSpectrumVisible() const;
    void setSpectrumVisible(bool visible);
    bool areLoopControlsVisible() const;
    void setLoopControlsVisible(bool visible);
    void resizeWindowToFitContentAnimated(bool animate);
    void setWindowContentSize(QSizeF size, bool animate);

    // The two looks: the standard column and the vintage tape deck
    void setVintageDesignEnabled(bool enabled);
    bool isVintageDesignEnabled() const;

    // State
    AudioPlayer* player() const { return m_player.get(); }
    // The playlist, pause, shuffle and the loop, apart from the window.
    const PlayerState& state() const { return m_state; }
    void seedShuffle(std::uint64_t seed) { m_state.seedShuffle(seed); }
    const QList<QUrl>& playlist() const { return m_state.playlist(); }
    qint64 playlistIndex() const { return m_state.playlistIndex(); }
    const QUrl& currentFile() const override { return m_currentFile; }
    // Those of the current track once they are read; empty until then.
    const TrackTags& trackTags() const override { return m_trackTags; }
    std::uint64_t analysisGeneration() const override { return m_analysisGeneration->load(); }
    bool isPaused() const override { return m_state.isPaused(); }
    // Whether a track is opening, off the main thread: the current entry, or one that was
    // current or comes next.
    bool isOpeningTrack() const { return m_playWhenOpened || m_opener->isOpening(); }
    // Whether the current entry is opening; one that was current may still hang on its disk.
    bool isOpeningCurrentEntry() const { return m_playWhenOpened.has_value(); }
    // The window of the upcoming tracks, made by `factory` when the playlist key first asks
    // for it; none is made without a factory.
    void setQueueWindowFactory(UpcomingTracksWindow::Factory factory);
    UpcomingTracksWindow* queueWindow() const { return m_queueWindow.get(); }

    // Views
    TapeDeckBackgroundView* backgroundView() const { return m_backgroundView; }
    ElidedLabel* titleLabel() const { return m_titleLabel; }
    QLabel* elapsedLabel() const { return m_elapsedLabel; }
    QLabel* remainingLabel() const { return m_remainingLabel; }
    MiniScrubberView* scrubber() const { return m_scrubber; }
    WaveformView* waveformView() const { return m_waveformView; }
    LEDMeterView* meterView() const { return m_meterView; }
    SpectrumAnalyzerView* spectrumView() const { return m_spectrumView; }
    QVBoxLayout* rootStack() const { return m_rootStack; }
    QWidget* timeRow() const { return m_timeRow; }

public Q_SLOTS:
    void playButtonPressed(QObject* sender);
    void pauseButtonPressed(QObject* sender);
    void vintagePlayPausePressed(QObject* sender);
    void stopButtonPressed(QObject* sender);
    void ejectButtonPressed(QObject* sender);
    void previousButtonPressed(QObject* sender);
    void nextButtonPressed(QObject* sender);
    void playlistButtonPressed(QObject* sender);
    void loopAButtonPressed(QObject* sender);
    void loopBButtonPressed(QObject* sender);
    void loopClearButtonPressed(QObject* sender);
    void scrubberValueChanged(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The steps behind the operations above.
    void loadCurrentURL(const QUrl& url, bool autoplay);
    void showError(const QString& message);
    void stopPlaybackAndReset(bool rewind);
    void decideWhileOpening(bool play);
    bool isPlayingOrToPlay() const;
    void handlePlaybackFinished();
    void updateTransportState();
    void startTimer();
    void stopTimer();
    void analyzeTitleForURL(const QUrl& url, std::uint64_t generation);
    void analyzeWaveformForURL(const QUrl& url, double duration, std::uint64_t generation);
    void analyzeBassMeterForURL(const QUrl& url, double frameDuration, std::uint64_t generation);
    void analyzeSpectrumForURL(const QUrl& url, double frameDuration, std::uint64_t generation);
    bool isAnalysisGenerationCurrent(std::uint64_t generation) const;
    template <typename Result>
    void runAnalysisJob(std::uint64_t generation,
                        std::function<Result(const AnalysisGeneration&)> work,
                        std::function<void(Result)> apply);
    void updateMeters();
    void updateSpectrumForTime(double time);
    void applyVintageLayout();
    void applyStandardLayout();

    // For the desktop's controls, which see the player through its interface.
    void raiseWindow() override;
    bool isPlaying() const override;
    bool hasTrack() const override { return m_player != nullptr; }
    double currentTime() const override;
    double duration() const override;
    bool hasNextTrack() const override { return m_state.hasEntryAfterCurrent(); }
    bool isPlaylistEmpty() const override { return m_state.playlist().isEmpty(); }

    void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) override;
    void audioPlayerWillFinishPlaying(AudioPlayer* player) override;
    bool mayFollowWithoutBreak() const;
    void prepareNextTrackNearTheEnd(double time, double duration);
    void prepareNextTrack();
    void startPreparedTrack();
    void applyReplayGainMode();
    std::unique_ptr<AudioPlayer> takeNextPlayer(const QUrl& url);
    void discardNextPlayer();
    void enableLoop();
    std::unique_ptr<AudioPlayer> leaveCurrentTrack(const QUrl& url);
    QList<TrackOpener::Candidate> candidatesFrom(const QUrl& url, bool autoplay) const;
    void trackOpened(TrackOpener::Opened opened, qint64 lastTried, bool play,
                     std::uint64_t generation);
    void showTrack(std::unique_ptr<AudioPlayer> player, bool autoplay, std::uint64_t generation);
    void applyPendingResume(std::uint64_t generation);
    void nextTrackOpened(TrackOpener::Opened opened, const AudioPlayer* current,
                         std::uint64_t generation);
    void handleTrackThatCannotBeRead();
    void clearAnalysisResults();
    void resetDisplaysForNewTrack();
    void describeDisplays();
    // The wheel over a display steps the volume.
    bool wheelVolume(const QWheelEvent& wheel);
    bool isWindowUnseen() const;
    void windowExposed();
    bool paceUpdate(QObject* watched);
    void addPlaybackKeys();
    void seekBy(double seconds);
    void startAnalyses(const QUrl& url, std::uint64_t generation);
    void reportLoadFailure();
    qint64 skipsCounted(qint64 lastTried, qint64 tried, bool autoplay) const;
    void makeEntryCurrent(qint64 index);
    void changeTrack(qint64 index, bool autoplay = true);
    void stopAtNextEntry();
    void setReelsAnimating(bool animating);
    void tick();
    void refresh(bool showPosition);
    bool refreshPosition(bool mayJumpInLoop, bool showPosition);
    void showCurrentPosition();
    void showPositionInDisplays(double time, double duration);
    void showTimeTexts(double time, double duration);
    void refreshWithoutPlayer();
    void advanceReels();
    void scheduleNextTick();
    bool setDisplayVisible(QWidget* display, bool visible);
    QWidget* contentView() const;
    // The menu bar's height at `width`; 0 without a menu bar.
    int menuBarHeight(int width);
    void centreWindowFrame();
    void keepWindowOnScreen();

    std::unique_ptr<TrackOpener> m_opener;
    AlertPresenter& m_alerts;
    QPointer<QObject> m_applicationDelegate;
    std::unique_ptr<QMainWindow> m_window;
    bool m_windowShown = false;
    bool m_frameCentredOnMap = false;
    std::unique_ptr<WindowVisibility> m_visibility;
    bool m_screenLocked = false;
    bool m_pacedByFrames = false;
    bool m_frameDue = false; // while a frame the window system asked for is drawn
    // Set while the window could not be seen: its displays were not fed.
    bool m_displaysBehind = false;

    TapeDeckBackgroundView* m_backgroundView = nullptr;
    ElidedLabel* m_titleLabel = nullptr;
    // Unseen: what it says is read out by a screen reader.
    QLabel* m_volumeAnnouncement = nullptr;
    int m_wheelAngle = 0; // eighths of a degree not yet a step
    TimeLabel* m_elapsedLabel = nullptr;
    TimeLabel* m_remainingLabel = nullptr;
    // Elapsed, duration and remaining, as the time texts show them; none while nothing is loaded.
    using ShownSeconds = std::array<std::uint64_t, 3>;
    std::optional<ShownSeconds> m_shownSeconds;
    MiniScrubberView* m_scrubber = nullptr;
    WaveformView* m_waveformView = nullptr;
    LEDMeterView* m_meterView = nullptr;
    SpectrumAnalyzerView* m_spectrumView = nullptr;
    TransportButton* m_previousButton = nullptr;
    TransportButton* m_stopButton = nullptr;
    TransportButton* m_playButton = nullptr;
    TransportButton* m_pauseButton = nullptr;
    TransportButton* m_nextButton = nullptr;
    TransportButton* m_playlistButton = nullptr;
    TransportButton* m_ejectButton = nullptr;
    TransportButton* m_loopAButton = nullptr;
    TransportButton* m_loopBButton = nullptr;
    TransportButton* m_loopClearButton = nullptr;
    QVBoxLayout* m_rootStack = nullptr;
    QWidget* m_rootColumn = nullptr;
    QWidget* m_timeRow = nullptr;
    QWidget* m_buttonRow = nullptr;
    QWidget* m_loopControlsRow = nullptr;
    // The vintage placements while they are in force; owned by the content view.
    QPointer<TapeDeckLayout> m_vintageConstraints;
    UpcomingTracksWindow::Factory m_queueWindowFactory;
    std::unique_ptr<UpcomingTracksWindow> m_queueWindow;

    std::unique_ptr<AudioPlayer> m_player;
    // The next entry's player, started behind the tail of the current one; it becomes current
    // when the current one's last frame has been heard, and stays queued behind it through a
    // seek. Its index is set while it opens and while it is prepared.
    std::unique_ptr<AudioPlayer> m_nextPlayer;
    // The next entry opened ahead, until the current one has handed its last frame.
    std::unique_ptr<AudioPlayer::Opening> m_preparedOpening;
    qint64 m_nextPlayerIndex = -1;
    // Whether the current track has handed its last frame to the sound output.
    bool m_currentHandedToEnd = false;
    QTimer m_timer;
    QElapsedTimer m_clockStarted;
    std::int64_t m_ticks = 0;
    QUrl m_currentFile;
    TrackTags m_trackTags;
    PlayerState m_state;
    SpectrumFrames m_spectrumFrames;
    double m_spectrumFrameDuration = 0.0;
    BassMeterFrames m_bassMeterFrames;
    double m_bassMeterFrameDuration = 0.0;
    // Shared with the background jobs, which may outlive a load and the controller.
    std::shared_ptr<std::atomic<std::uint64_t>> m_analysisGeneration;
    ReceiverLink m_analysisJobs;
    float m_volume = 1.0f;
    ReplayGainMode m_replayGainMode = ReplayGainMode::Off;
    bool m_advancingTrack = false;
    bool m_stopAfterCurrentTrack = false;
    // The entry after a track that ended with "stop after this track" waits at its start for
    // Play, also when stopped: an addition does not start another one.
    bool m_entryWaitsForPlay = false;
    // While the current entry opens: whether it plays once it has, as the load asked or as a
    // Play, Pause or Stop given meanwhile decided.
    std::optional<bool> m_playWhenOpened;
    // The entries that failed to open one after another since the last that opened or the
    // last new list: a chain of skips ends once it has tried as many as the list holds.
    qint64 m_consecutiveLoadFailures = 0;
    // The place a resumed session goes to when the load of its generation has opened.
    struct PendingResume
    {
        std::uint64_t generation;
        double position;
        bool paused;
    };
    std::optional<PendingResume> m_pendingResume;
};
