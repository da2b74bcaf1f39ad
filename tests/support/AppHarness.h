#pragma once

#include "app/AppDelegate.h"
#include "platform/OpenPanelPresenter.h"
#include "player/PlayerWindowController.h"
#include "support/FakeAudioPlayer.h"
#include "support/RecordingAlertPresenter.h"

#include <QMainWindow>
#include <QTest>

// An open panel that hands back prepared choices, one per run, then nothing (as if cancelled).
struct ScriptedOpenPanel final : OpenPanelPresenter
{
    QList<QUrl> runModal(const QString& title) override
    {
        titles << title;
        return choices.isEmpty() ? QList<QUrl>{} : choices.takeFirst();
    }

    QList<QList<QUrl>> choices;
    QStringList titles;
};

// The delegate on fake players, recorded alerts and a scripted panel; ends are counted.
struct AppHarness
{
    PlayerWindowController& player() const { return *delegate.playerWindow(); }
    QStringList playlist() const
    {
        return QUrl::toStringList(player().playlist(), QUrl::PreferLocalFile);
    }
    bool scanFinishes()
    {
        return QTest::qWaitFor([this] { return !delegate.isLoadingSelection(); }, 30000);
    }

    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    ScriptedOpenPanel panel;
    int terminations = 0;
    AppDelegate delegate{players.factory(), alerts, panel, [this] { ++terminations; }};
};
