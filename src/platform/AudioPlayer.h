#pragma once

#include <functional>
#include <memory>

#include <QString>

class AudioPlayerDelegate;

// Plays one audio file. Every member is called on the main thread.
class AudioPlayer
{
public:
    // Opens the file synchronously; null, with the reason in `error`, when it cannot be played.
    using Factory =
        std::function<std::unique_ptr<AudioPlayer>(const QString& path, QString* error)>;

    virtual ~AudioPlayer() = default;

    virtual void setDelegate(AudioPlayerDelegate* delegate) = 0;
    virtual bool prepareToPlay() = 0;
    virtual bool play() = 0;
    virtual void pause() = 0;
    // Stops without rewinding; the caller sets the time it wants.
    virtual void stop() = 0;
    // Seconds of what is audible; 0 after the natural end.
    virtual double currentTime() const = 0;
    // Limited to 0 … duration(); reads back at once, also while paused or stopped.
    virtual void setCurrentTime(double seconds) = 0;
    virtual double duration() const = 0;
    virtual bool isPlaying() const = 0;
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;
};
