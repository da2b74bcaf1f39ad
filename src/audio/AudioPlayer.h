#pragma once

#include "decoder/ReplayGains.h"

#include <functional>
#include <memory>

#include <QString>

class AudioPlayerDelegate;

// Plays one audio file. Every member is called on the main thread.
class AudioPlayer
{
public:
    // A file opened for playing, which becomes its player on the main thread.
    class Opening
    {
    public:
        virtual ~Opening() = default;
        virtual std::unique_ptr<AudioPlayer> player() = 0;
    };

    // Opens files. `open` gives null, with the reason in `error`, when the file cannot be
    // played. It reads the disk and may block on it: it is called on a worker thread, and is
    // safe there.
    struct Factory
    {
        std::function<std::unique_ptr<Opening>(const QString& path, QString* error)> open;
    };

    // An opening of a player made already.
    static std::unique_ptr<Opening> opened(std::unique_ptr<AudioPlayer> player);

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
    // Seconds of what plays now that are still heard after a seek made now, which ramps the
    // sound down first.
    virtual double cutDelay() const { return 0.0; }
    virtual bool isPlaying() const = 0;
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;
    // Which of the file's ReplayGains is applied to what is heard; none at first.
    virtual void setReplayGainMode(ReplayGainMode) {}
};

inline std::unique_ptr<AudioPlayer::Opening>
AudioPlayer::opened(std::unique_ptr<AudioPlayer> player)
{
    class Made final : public Opening
    {
    public:
        explicit Made(std::unique_ptr<AudioPlayer> made) : m_player(std::move(made)) {}
        std::unique_ptr<AudioPlayer> player() override { return std::move(m_player); }

    private:
        std::unique_ptr<AudioPlayer> m_player;
    };
    return std::make_unique<Made>(std::move(player));
}
