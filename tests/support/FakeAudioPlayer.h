#pragma once

#include "audio/AudioPlayer.h"
#include "audio/AudioPlayerDelegate.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include <QFileInfo>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QTest>

// An audio player whose clock the test sets by hand.
struct FakeAudioPlayer final : AudioPlayer
{
    FakeAudioPlayer(QString path, double duration) : path(std::move(path)), length(duration) {}
    ~FakeAudioPlayer() override
    {
        if (gone)
            gone();
    }

    void setDelegate(AudioPlayerDelegate* newDelegate) override { delegate = newDelegate; }
    bool prepareToPlay() override { return true; }
    bool play() override { return playing = true; }
    void pause() override { playing = false; }
    void stop() override { playing = false; }
    double currentTime() const override { return time; }
    void setCurrentTime(double seconds) override
    {
        ++seekCount;
        time = ignoresSeeks ? time : seconds;
    }
    double duration() const override { return length; }
    bool isPlaying() const override { return playing; }
    float volume() const override { return level; }
    void setVolume(float volume) override { level = volume; }
    void setReplayGainMode(ReplayGainMode mode) override { replayGainMode = mode; }

    // What a real player does at the natural end: it stops, rewinds and tells its delegate.
    void finishNaturally()
    {
        playing = false;
        time = 0.0;
        delegate->audioPlayerDidFinishPlaying(this, true);
    }
    // What a real player does when its file fails to read on.
    void failReading()
    {
        playing = false;
        delegate->audioPlayerDidFinishPlaying(this, false);
    }

    const QString path;
    const double length;
    double time = 0.0;
    bool playing = false;
    float level = 1.0f;
    // A player that does not move when told to: its position stays where it was.
    bool ignoresSeeks = false;
    int seekCount = 0;
    ReplayGainMode replayGainMode = ReplayGainMode::Off;
    AudioPlayerDelegate* delegate = nullptr;
    std::function<void()> gone;
};

// Makes fake players of `duration` seconds and records the name of every file tried; a file
// whose name starts with "broken" cannot be opened. Like the real player's, its openings run on a
// worker thread, and what they use lives as long as they run.
struct FakePlayerFactory
{
    AudioPlayer::Factory factory()
    {
        return {[state = state](const QString& path,
                                QString* error) -> std::unique_ptr<AudioPlayer::Opening> {
            const QString name = QFileInfo(path).fileName();
            if (!state->heldName.isEmpty() && name.contains(state->heldName)) {
                ++state->held;
                state->released.acquire();
                --state->held;
            }
            std::unique_ptr<AudioPlayer::Opening> opening;
            const QMutexLocker locked(&state->mutex);
            if (!name.startsWith(QLatin1String("broken"))) {
                auto player = std::make_unique<FakeAudioPlayer>(path, state->duration);
                state->live.insert(player.get());
                player->gone = [state, player = player.get()] {
                    const QMutexLocker goneLocked(&state->mutex);
                    state->live.erase(player);
                };
                opening = AudioPlayer::opened(std::move(player));
            } else {
                *error = QStringLiteral("kaputt");
            }
            // The last the opening does here: whoever has seen its name may let this go.
            state->triedNames << name;
            return opening;
        }};
    }
    // The names of the files tried, in order, and forgotten.
    QStringList takeAttempts()
    {
        const QMutexLocker locked(&state->mutex);
        return std::exchange(state->triedNames, {});
    }
    // Whether `count` more files are tried within ten seconds; their names are forgotten.
    bool tried(qsizetype count)
    {
        return QTest::qWaitFor([&] { return (count -= takeAttempts().size()) <= 0; }, 10000);
    }

    // The players made and not yet gone that play.
    std::vector<const FakeAudioPlayer*> playing()
    {
        const QMutexLocker locked(&state->mutex);
        std::vector<const FakeAudioPlayer*> found;
        std::ranges::copy_if(state->live, std::back_inserter(found),
                             [](const FakeAudioPlayer* player) { return player->playing; });
        return found;
    }
    // How many openings wait for a release.
    int heldOpenings() const { return state->held; }

private:
    struct State
    {
        std::atomic<int> held = 0;
        std::set<FakeAudioPlayer*> live;
        std::atomic<double> duration = 200.0;
        QString heldName;
        QSemaphore released;
        QMutex mutex;
        QStringList triedNames;
    };
    const std::shared_ptr<State> state = std::make_shared<State>();

public:
    std::atomic<double>& duration = state->duration;
    // Files whose name holds it wait for a release before they open, as on a slow disk; it is
    // set before the first load.
    QString& heldName = state->heldName;
    QSemaphore& released = state->released;
};
