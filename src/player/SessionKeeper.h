#pragma once

#include "player/SavedSession.h"

#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>

class PlayerWindowController;

// Keeps the saved session in step with the player: written when the playlist, the entry or the
// play state changes (a load, a pause, a stop), every ten seconds while a track plays, and when
// save() is called at quit. A player with nothing loaded never overwrites the last session.
class SessionKeeper final : public QObject
{
    Q_OBJECT

public:
    static constexpr int playingSaveIntervalMs = 10000;

    SessionKeeper(PlayerWindowController& player, QString path, QObject* parent = nullptr);

    void save();

private:
    void playerChanged();
    void write(SavedSession session);
    SavedSession current() const;

    PlayerWindowController& m_player;
    const QString m_path;
    QTimer m_whilePlaying;
    std::optional<SavedSession> m_written;
};
