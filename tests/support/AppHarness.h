#pragma once

#include "app/AppDelegate.h"
#include "platform/OpenPanelPresenter.h"
#include "player/PlayerWindowController.h"
#include "support/FakeAudioPlayer.h"
#include "support/RecordingAlertPresenter.h"

#include <functional>

#include <QMainWindow>

// An open panel that hands back prepared choices, one per run, and nothing (as if cancelled)
// once they are used up. `whileOpen` runs where the real panel runs its own event loop.
class ScriptedOpenPanel final : public OpenPanelPresenter
{
public:
    QList<QUrl> runModal(const QString& title) override
    {
        titles << title;
        if (whileOpen)
            whileOpen();
        return choices.isEmpty() ? QList<QUrl>{} : choices.takeFirst();
    }

    QList<QList<QUrl>> choices;
    QStringList titles;
    std::function<void()> whileOpen;
};

// The application delegate on fake players, recorded alerts and a scripted panel; its calls
// to end the program are counted.
struct AppHarness
{
    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    ScriptedOpenPanel panel;
    int terminations = 0;
    AppDelegate delegate{players.factory(), alerts, panel, [this] { ++terminations; }};

    PlayerWindowController& player() const { return *delegate.playerWindow(); }
    bool isWindowShown() const { return player().window()->isVisible(); }
    QStringList playlist() const
    {
        return QUrl::toStringList(player().playlist(), QUrl::PreferLocalFile);
    }
};
