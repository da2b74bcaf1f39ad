#pragma once

#include "platform/AudioPlayer.h"
#include "platform/AudioPlayerDelegate.h"

#include <memory>

#include <QMainWindow>
#include <QTimer>

class AlertPresenter;
class QLabel;

// A plain window that plays one file and shows its elapsed and remaining time.
class PlainPlayerWindow final : public QMainWindow, private AudioPlayerDelegate
{
    Q_OBJECT

public:
    PlainPlayerWindow(AlertPresenter& alerts, AudioPlayer::Factory playerFactory);
    ~PlainPlayerWindow() override;

    void playFile(const QString& path);

private:
    void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) override;
    void updateTimeLabels();

    AlertPresenter& m_alerts;
    AudioPlayer::Factory m_playerFactory;
    std::unique_ptr<AudioPlayer> m_player;
    QLabel* m_elapsedLabel = nullptr;
    QLabel* m_remainingLabel = nullptr;
    QTimer m_timer;
};
