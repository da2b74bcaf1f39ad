#pragma once

#include "app/AppDelegate.h"
#include "player/PlayerWindowController.h"
#include "support/FakeAudioPlayer.h"
#include "support/RecordingAlertPresenter.h"
#include "ui/OpenPanelPresenter.h"

#include <QFile>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
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

// The delegate on fake players, recorded alerts, a scripted panel, a preferences file of its own.
struct AppHarness
{
    // On fake players unless given the factory of others.
    explicit AppHarness(const QByteArray& stored = {}, AudioPlayer::Factory factory = {})
        : delegate(
              factory.open ? std::move(factory) : players.factory(), alerts, panel,
              [this] { ++terminations; },
              std::make_unique<QSettings>(holding(stored), QSettings::IniFormat), sessionPath)
    {}
    QString holding(const QByteArray& stored) const
    {
        QFile file(preferencesPath);
        if (!stored.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write("[General]\n" + stored);
        return preferencesPath;
    }

    QByteArray storedPreferences() const
    {
        QFile file(preferencesPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    PlayerWindowController& player() const { return *delegate.playerWindow(); }
    // Whether the track that opens, on a worker thread as every real one, has opened or failed.
    bool opened() const
    {
        return QTest::qWaitFor([this] { return !player().isOpeningTrack(); }, 10000);
    }
    QStringList playlist() const
    {
        return QUrl::toStringList(player().playlist(), QUrl::PreferLocalFile);
    }
    bool scanFinishes()
    {
        return QTest::qWaitFor([this] { return !delegate.isLoadingSelection(); }, 30000);
    }

    QTemporaryDir folder;
    const QString preferencesPath = folder.filePath(QStringLiteral("Kassolin.conf"));
    const QString sessionPath = folder.filePath(QStringLiteral("state/session.json"));
    FakePlayerFactory players;
    RecordingAlertPresenter alerts;
    ScriptedOpenPanel panel;
    int terminations = 0;
    AppDelegate delegate;
};
