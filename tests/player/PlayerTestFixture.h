#pragma once

#include "player/PlayerWindowController.h"
#include "support/FakeAudioPlayer.h"
#include "support/RecordingAlertPresenter.h"
#include "support/TrackLoading.h"

#include <QStringList>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

// A controller on fake players and recorded alerts. Track URLs point nowhere: the players are
// fakes, and the analyses of a missing file come back empty.
class PlayerTest : public ::testing::Test
{
protected:
    PlayerTest() : controller(players.factory(), alerts) {}

    static QUrl track(const QString& name) { return QUrl::fromLocalFile("/no/" + name + ".mp3"); }
    static QList<QUrl> tracks(const QStringList& names)
    {
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << track(name);
        return urls;
    }
    // The current entry's player, once the opening under way, on a worker thread as every real
    // one, has ended.
    FakeAudioPlayer* current()
    {
        opened();
        return static_cast<FakeAudioPlayer*>(controller.player());
    }
    void opened()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 10000));
    }
    // The opening has ended, and the jobs it started have handed in their results.
    void finishJobs()
    {
        opened();
        ::finishJobs();
    }

    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    PlayerWindowController controller;
};
