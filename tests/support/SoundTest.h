#pragma once

#include "audio/Mp3AudioPlayer.h"
#include "player/PlayerWindowController.h"
#include "support/FixtureFiles.h"
#include "soundcheck/MonitorRecorder.h"
#include "support/RecordingAlertPresenter.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// The player on a sound output of its own, playing fixtures through the sound server that
// PULSE_SERVER names, with what a test needs to read a recording of the sink's monitor.
class SoundTest : public ::testing::Test
{
protected:
    QUrl mp3(const char* name, const Pcm& pcm, const Mp3Options& options = {});
    // Plays the tracks until the controller has stopped after the last of the list (which may
    // have grown meanwhile) and, with a monitor,
    // until the monitor has recorded a tenth of a second of silence after its tail.
    void playThrough(
        const QList<QUrl>& tracks, const MonitorRecorder* monitor,
        const std::function<void()>& whilePlaying = [] {});

    // Players on the output; each file opens after `beforeOpening` (set before a load) has run.
    AudioPlayer::Factory players();

    FixtureFiles files;
    std::shared_ptr<SessionOutput> output = std::make_shared<SessionOutput>();
    std::function<void(const QString& path)> beforeOpening = [](const QString&) {};
    RecordingAlertPresenter alerts;
    PlayerWindowController controller{players(), alerts};
};
