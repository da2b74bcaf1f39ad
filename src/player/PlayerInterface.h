#pragma once

#include "analysis/TrackTags.h"

#include <cstdint>

#include <QObject>
#include <QUrl>

// What the desktop's media controls see of the player: the transport, what plays and where.
// The controller implements it; MPRIS knows the player only through it.
class PlayerInterface : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void startPlayback() = 0;
    virtual void pause() = 0;
    virtual void togglePlayPause() = 0;
    virtual void stop() = 0;
    virtual void playNextTrack() = 0;
    virtual void playPreviousTrack() = 0;
    virtual void seekToTime(double seconds) = 0;
    virtual void setVolume(float volume) = 0;
    // Shows the window, also when it is minimized.
    virtual void raiseWindow() = 0;

    virtual bool isPlaying() const = 0;
    virtual bool isPaused() const = 0;
    virtual bool isShuffleEnabled() const = 0;
    virtual float volume() const = 0;
    // Whether a track is loaded; its length is 0 while unknown.
    virtual bool hasTrack() const = 0;
    virtual double currentTime() const = 0;
    virtual double duration() const = 0;
    // Changes with every load, also of the same file again.
    virtual std::uint64_t analysisGeneration() const = 0;
    virtual const QUrl& currentFile() const = 0;
    virtual const TrackTags& trackTags() const = 0;
    // Whether a track follows the current one in the list.
    virtual bool hasNextTrack() const = 0;
    virtual bool isPlaylistEmpty() const = 0;

Q_SIGNALS:
    // The play state, the track or what is known of it, shuffle or the volume changed; sent
    // at least once for every change, and at times when nothing did.
    void stateChanged();
    // The position jumped: a scrub or seek, a loop jump, or a previous that rewinds.
    void positionJumped();
};
