#pragma once

#include "platform/AudioOutput.h"
#include "platform/AudioPlayer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>

class Mp3Decoder;
class PlaybackStream;

// Plays an MP3 file through the sound device. Without a device, or after losing it, playback
// goes on silently on a real-time clock, so that the position moves and the end arrives.
class Mp3AudioPlayer final : public AudioPlayer, private AudioOutput::Client
{
public:
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    static std::unique_ptr<Mp3AudioPlayer> open(const QString& path, QString* error = nullptr,
                                                OutputFactory outputFactory = soundDevice());
    // Players that play through the sound device.
    static Factory factory();
    static OutputFactory soundDevice();
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
    float volume() const override;
    void setVolume(float volume) override;

    std::uint64_t underrunCount() const;
    bool isOnSilentClock() const { return m_onSilentClock; }

private:
    Mp3AudioPlayer(std::unique_ptr<Mp3Decoder> decoder, OutputFactory outputFactory);

    void render(float* out, int frames) override;
    void outputLost() override;
    void playedToEnd();
    void deliverEnd(std::uint64_t session);
    void replaceOutput(std::unique_ptr<AudioOutput> output);
    void switchToSilentClock();

    QObject m_mainThread; // context of what render() and outputLost() hand to the main thread
    OutputFactory m_outputFactory;
    std::unique_ptr<PlaybackStream> m_stream;
    std::unique_ptr<AudioOutput> m_output;
    AudioPlayerDelegate* m_delegate = nullptr;
    double m_duration = 0.0;
    bool m_onSilentClock = false;
    std::atomic<bool> m_playing{false};
    // Counts play and stop calls, so that an end reported for an earlier run is recognised.
    std::atomic<std::uint64_t> m_session{0};
};
