#pragma once

#include "player/SavedSession.h"

#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>

class PlayerWindowController;

// Keeps the saved session in step with the player: written when the playlist, the entry or the
// play state changes (a load, a pause, a stop), every ten seconds while a track plays, and when
// save() is called at quit. A player with nothing loaded never overwrites the last session.
// The file is synced to disk, which on a busy disk takes long: it is written on a thread of its
// own, the newest session after the one being written, so that the clock and the displays never
// wait for it. save() waits for it, but not for a disk that does not answer: the quit goes on
// and the file keeps the last session written whole.
class SessionKeeper final : public QObject
{
    Q_OBJECT

public:
    static constexpr int playingSaveIntervalMs = 10000;
    // How long save() waits for the write.
    static constexpr int saveWaitMs = 500;

    SessionKeeper(PlayerWindowController& player, QString path, QObject* parent = nullptr);
    ~SessionKeeper() override;

    void save();

private:
    // What the writing thread shares with the keeper, which may go before it ends.
    struct Writer;

    void playerChanged();
    void writeInBackground(SavedSession session);
    SavedSession current() const;

    PlayerWindowController& m_player;
    QTimer m_whilePlaying;
    // What was last handed to the writing thread; forgotten once a write has failed, so that
    // the next chance tries again, even with nothing changed.
    std::optional<SavedSession> m_written;
    const std::shared_ptr<Writer> m_writer;
};
