#pragma once

#include "platform/AudioPlayer.h"
#include "platform/MainThreadNotice.h"
#include "platform/SessionOutput.h"

#include <atomic>
#include <cstdint>
#include <memory>

#include <QObject>

class Mp3Decoder;
class PlaybackStream;

// Plays an MP3 file through the session's sound output, which the players of successive tracks
// share. The natural end is reported once the last frame has been handed to the output, while
// its tail still sounds there; the next track's player queues its audio right behind it.
// Stopping a player that has reported its end lets the tail play out; stopping one that has
// not cuts it at once.
class Mp3AudioPlayer final : public AudioPlayer
{
public:
    static std::unique_ptr<Mp3AudioPlayer>
    open(const QString& path, QString* error = nullptr,
         std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>());
    // Players that share one output for as long as the factory lives.
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
    bool isPlaying() const override { return m_playing.load(); }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override;

    std::uint64_t underrunCount() const;
    bool isOnSilentClock() const;

private:
    Mp3AudioPlayer(std::unique_ptr<Mp3Decoder> decoder, QString title,
                   std::shared_ptr<SessionOutput> output);

    void playedToEnd();
    void deliverEnd();

    // Tells the main thread of the end, which the output's thread finds.
    MainThreadNotice m_endNotice{[this] { deliverEnd(); }};
    std::shared_ptr<SessionOutput> m_output;
    std::unique_ptr<PlaybackStream> m_stream;
    AudioPlayerDelegate* m_delegate = nullptr;
    QString m_title;
    double m_duration = 0.0;
    float m_volume = 1.0f;
    bool m_endReported = false;
    std::atomic<bool> m_playing{false};
    // Counts play and stop calls, so that an end reported for an earlier run is recognised.
    std::atomic<std::uint64_t> m_session{0};
    // The run that played to its end, for the main thread; 0 for none.
    std::atomic<std::uint64_t> m_endedSession{0};
};
