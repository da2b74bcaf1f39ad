#pragma once

#include "player/UpcomingTracksWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>

class PlayerWindowController;
class QListWidget;
class QWidget;

// The "Warteschlange" window: the tracks after the current one, as a snapshot taken when the
// window is shown. Choosing one, by click or with the arrow keys, closes the window and plays
// it. With Strg or Umschalt held a click selects instead; Entf or the context menu removes the
// selected entries from the list, and a drag moves them within it. The window belongs to the
// player window (a transient window of it), so the window manager keeps it with the player;
// the player controller is held weakly.
class QueueWindowController final : public QObject, public UpcomingTracksWindow
{
    Q_OBJECT

public:
    explicit QueueWindowController(PlayerWindowController* playerController);
    ~QueueWindowController() override;

    // Makes the queue window for a controller.
    static Factory factory();

    QWidget* window() const override { return m_window; }
    QListWidget* tableView() const { return m_tableView; }

    void reloadAndShow() override;
    void reload() override;

private:
    void buildInterface();
    void placeUnderPlayerWindow();
    void playRow(int row);
    QList<qint64> entriesOfRows(bool withSelected) const;
    void removeSelectedEntries();
    void keepRowsInTheirOrder();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<PlayerWindowController> m_playerController;
    QPointer<QWidget> m_window;
    QListWidget* m_tableView = nullptr;
    bool m_reloading = false;
    QList<qint64> m_orderToKeep; // taken from the rows after a move, until handed over
};
