#pragma once

#include "audio/AudioPlayer.h"
#include "audio/SessionOutput.h"
#include "decoder/ReplayGains.h"

#include <cstdint>
#include <memory>

#include <QObject>

class Mp3Decoder;
class PlaybackStream;

// Plays an MP3 file through the session's sound output, which the players of successive tracks
// share. Once the last frame has been handed to the output, while its tail still sounds there,
// the delegate hears that the track will finish: a next track's player started then queues its
// audio right behind it. The natural end itself is reported when the last frame is heard.
// Stopping a player cuts what of it is still to be heard.
class Mp3AudioPlayer final : public AudioPlayer
{
public:
    // Opens the file and makes its player at once, on the main thread.
    static std::unique_ptr<Mp3AudioPlayer>
    open(const QString& path, QString* error = nullptr,
         std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>());
    // Players that share one output for as long as the factory lives. The file is opened, its
    // length scanned and its start decoded on the worker thread that opens it; the player is
    // made on the main thread.
    static Factory
    factory(std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>());
    ~Mp3AudioPlayer() override;

    void setDelegate(AudioPlayerDelegate* delegate) override { m_delegate = delegate; }
    bool prepareToPlay() override;
    bool play() override;
    void pause() override;
    void stop() override;
    double currentTime() const override;
    void setCurrentTime(double seconds) override;
    double duration() const override { return m_duration; }
    double cutDelay() const override;
    bool isPlaying() const override { return m_playing; }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override;
    void setReplayGainMode(ReplayGainMode mode) override;

    std::uint64_t underrunCount() const;
    bool isOnSilentClock() const;

private:
    class DecodedStart;

    Mp3AudioPlayer(std::unique_ptr<PlaybackStream> stream, QString title, double duration,
                   const ReplayGains& replayGains, std::shared_ptr<SessionOutput> output);

    void handedToEnd();
    void heardToEnd();

    std::shared_ptr<SessionOutput> m_output;
    std::unique_ptr<PlaybackStream> m_stream;
    AudioPlayerDelegate* m_delegate = nullptr;
    QString m_title;
    double m_duration = 0.0;
    float m_volume = 1.0f;
    // The file's ReplayGain for the track and for its album.
    ReplayGains m_replayGains;
    bool m_playing = false;
    bool m_heardToEnd = false;
};
