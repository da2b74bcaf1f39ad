#pragma once

#include "app/AppDelegate.h"
#include "player/PlayerWindowController.h"
#include "support/FakeAudioPlayer.h"
#include "support/RecordingAlertPresenter.h"
#include "ui/OpenPanelPresenter.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMainWindow>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

// An open panel that hands back prepared choices, one per run, then nothing (as if cancelled).
struct ScriptedOpenPanel final : OpenPanelPresenter
{
    QList<QUrl> runModal(const QString& title) override
    {
        titles << title;
        return choices.isEmpty() ? QList<QUrl>{} : choices.takeFirst();
    }
    QString runSaveModal(const QString& title) override
    {
        titles << title;
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }

    QList<QList<QUrl>> choices;
    QStringList savePaths;
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
    // Drags the files onto the shown player window and drops them there, as the desktop
    // delivers them: through the window, to the widget under the point.
    bool drop(const QList<QUrl>& urls, QPoint point, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        player().showWindow();
        QMimeData dragged;
        dragged.setUrls(urls);
        QDragEnterEvent enter(point, Qt::CopyAction, &dragged, Qt::LeftButton, keys);
        QDropEvent drop(point, Qt::CopyAction, &dragged, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(player().window()->windowHandle(), &enter);
        QCoreApplication::sendEvent(player().window()->windowHandle(), &drop);
        return enter.isAccepted() && drop.isAccepted();
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
