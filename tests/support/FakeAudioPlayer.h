#pragma once

#include "platform/AudioPlayer.h"
#include "platform/AudioPlayerDelegate.h"

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

// An audio player whose clock the test sets by hand.
class FakeAudioPlayer final : public AudioPlayer
{
public:
    FakeAudioPlayer(QString path, double duration) : m_path(std::move(path)), m_duration(duration)
    {}

    void setDelegate(AudioPlayerDelegate* delegate) override { m_delegate = delegate; }
    bool prepareToPlay() override { return m_prepared = true; }
    bool play() override { return m_playing = true; }
    void pause() override { m_playing = false; }
    void stop() override { m_playing = false; }
    double currentTime() const override { return m_time; }
    void setCurrentTime(double seconds) override
    {
        ++seekCount;
        if (!ignoresSeeks)
            m_time = seconds;
    }
    double duration() const override { return m_duration; }
    bool isPlaying() const override { return m_playing; }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override { m_volume = volume; }

    // What a real player does at the natural end: it stops, rewinds and tells its delegate.
    void finishNaturally()
    {
        m_playing = false;
        m_time = 0.0;
        if (m_delegate)
            m_delegate->audioPlayerDidFinishPlaying(this, true);
    }

    // A player that does not move when told to: its position stays where it was.
    bool ignoresSeeks = false;
    int seekCount = 0;

    const QString& path() const { return m_path; }
    bool isPrepared() const { return m_prepared; }

private:
    QString m_path;
    double m_duration;
    double m_time = 0.0;
    bool m_playing = false;
    bool m_prepared = false;
    float m_volume = 0.5f;
    AudioPlayerDelegate* m_delegate = nullptr;
};

// Makes fake players; a path whose file name starts with "broken" cannot be opened. Every
// attempt is recorded.
class FakePlayerFactory
{
public:
    AudioPlayer::Factory factory();

    FakeAudioPlayer* last() const { return m_last; }
    QStringList attempts;
    double duration = 200.0;

private:
    FakeAudioPlayer* m_last = nullptr;
};
