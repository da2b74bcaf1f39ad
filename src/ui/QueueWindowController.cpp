#include "ui/QueueWindowController.h"

#include "player/PlayerWindowController.h"
#include "player/UpcomingTrackItem.h"
#include "player/WindowPlacement.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int windowWidth = 300;
constexpr int windowHeight = 220;
constexpr int listMargin = 10;
constexpr int rowHeight = 28;
constexpr int gapUnderPlayer = 8;

} // namespace

QueueWindowController::QueueWindowController(PlayerWindowController* playerController)
    : m_playerController(playerController)
{
    QWidget* playerWindow = playerController ? playerController->window() : nullptr;
    m_window = new QWidget(playerWindow, Qt::Window | Qt::WindowTitleHint |
                                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    m_window->setWindowTitle(QStringLiteral("Warteschlange"));
    m_window->setFixedSize(windowWidth, windowHeight);
    buildInterface();
}

QueueWindowController::~QueueWindowController()
{
    delete m_window;
}

UpcomingTracksWindow::Factory QueueWindowController::factory()
{
    return [](PlayerWindowController* controller) {
        return std::make_unique<QueueWindowController>(controller);
    };
}

void QueueWindowController::buildInterface()
{
    m_tableView = new QListWidget(m_window);
    m_tableView->setFrameShape(QFrame::NoFrame);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tableView->setDragDropMode(QAbstractItemView::InternalMove);
    m_tableView->setDefaultDropAction(Qt::MoveAction);
    m_tableView->setUniformItemSizes(true);
    m_tableView->setSpacing(1); // 2 points between rows
    m_tableView->setTextElideMode(Qt::ElideMiddle);
    m_tableView->setWordWrap(false);
    QFont font;
    font.setPixelSize(12);
    m_tableView->setFont(font);
    connect(m_tableView, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (QGuiApplication::keyboardModifiers() == Qt::NoModifier)
            playRow(m_tableView->row(item));
    });
    m_tableView->installEventFilter(this);

    auto* remove = new QAction(QStringLiteral("Aus der Wiedergabeliste entfernen"), m_tableView);
    connect(remove, &QAction::triggered, this, &QueueWindowController::removeSelectedEntries);
    m_tableView->addAction(remove);
    m_tableView->setContextMenuPolicy(Qt::ActionsContextMenu);

    // A drop moves rows by removing and inserting them; the order is read once it is done.
    QAbstractItemModel* rows = m_tableView->model();
    connect(rows, &QAbstractItemModel::rowsMoved, this,
            &QueueWindowController::keepRowsInTheirOrder);
    connect(rows, &QAbstractItemModel::rowsRemoved, this,
            &QueueWindowController::keepRowsInTheirOrder);

    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(listMargin, listMargin, listMargin, listMargin);
    layout->addWidget(m_tableView);
}

void QueueWindowController::reloadAndShow()
{
    reload();
    m_tableView->clearSelection();
    // No current row either: otherwise focusing the list would make the first row current and
    // the first arrow-key press would skip it.
    m_tableView->setCurrentIndex(QModelIndex());
    placeUnderPlayerWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QueueWindowController::reload()
{
    const std::vector<UpcomingTrackItem> items = m_playerController
                                                     ? m_playerController->upcomingTrackItems()
                                                     : std::vector<UpcomingTrackItem>{};
    m_reloading = true; // rebuilding the rows is no edit
    m_tableView->clear();
    for (const UpcomingTrackItem& item : items) {
        auto* row = new QListWidgetItem(item.title, m_tableView);
        row->setData(Qt::UserRole, item.index);
        row->setSizeHint(QSize(0, rowHeight));
        // Dropped between rows, never onto one.
        row->setFlags(row->flags() & ~Qt::ItemIsDropEnabled);
    }
    m_reloading = false;
}

void QueueWindowController::placeUnderPlayerWindow()
{
    const QWidget* player = m_playerController ? m_playerController->window() : nullptr;
    if (!player)
        return;
    const QRect playerFrame = player->frameGeometry();
    // Until it is first shown, this window's frame is not known; the player's decoration,
    // from the same window manager, stands in for it.
    const QMargins decoration(player->geometry().left() - playerFrame.left(),
                              player->geometry().top() - playerFrame.top(),
                              playerFrame.right() - player->geometry().right(),
                              playerFrame.bottom() - player->geometry().bottom());
    const QSize frameSize = m_window->isVisible() ? m_window->frameGeometry().size()
                                                  : m_window->size().grownBy(decoration);
    if (const QScreen* screen = player->screen())
        m_window->move(
            positionNextTo(playerFrame, frameSize, gapUnderPlayer, screen->availableGeometry()));
}

void QueueWindowController::playRow(int row)
{
    const QListWidgetItem* item = m_tableView->item(row);
    if (!item)
        return;
    const qint64 index = item->data(Qt::UserRole).toLongLong();
    m_window->close();
    if (m_playerController)
        m_playerController->playPlaylistIndex(index);
}

// The arrow keys choose as a click does, with Umschalt they select; Entf removes.
bool QueueWindowController::eventFilter(QObject* watched, QEvent* event)
{
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (watched != m_tableView || !key || key->modifiers() != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    if (key->key() == Qt::Key_Delete) {
        removeSelectedEntries();
        return true;
    }
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
        return QObject::eventFilter(watched, event);
    const int row = m_tableView->currentRow();
    const int last = m_tableView->count() - 1;
    playRow(row < 0 ? 0 : std::clamp(row + (key->key() == Qt::Key_Down ? 1 : -1), 0, last));
    return true;
}

// The entries of the rows in their order, those selected left out unless asked for.
QList<qint64> QueueWindowController::entriesOfRows(bool withSelected) const
{
    QList<qint64> entries;
    for (int row = 0; row < m_tableView->count(); ++row) {
        if (withSelected || !m_tableView->item(row)->isSelected())
            entries << m_tableView->item(row)->data(Qt::UserRole).toLongLong();
    }
    return entries;
}

void QueueWindowController::removeSelectedEntries()
{
    const QList<qint64> kept = entriesOfRows(false);
    if (m_playerController && kept.size() < m_tableView->count())
        m_playerController->keepUpcomingEntries(kept);
}

// The order is taken as the move leaves it, and handed over once the drop is done. A change of
// the list in between (a track added, the next one current) makes it stale: it is dropped, and
// the rows show the list as it now is.
void QueueWindowController::keepRowsInTheirOrder()
{
    if (m_reloading)
        return;
    const bool handOverAsked = !m_orderToKeep.isEmpty();
    m_orderToKeep = entriesOfRows(true);
    if (handOverAsked)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QList<qint64> order = std::exchange(m_orderToKeep, {});
            // As many as come after the current entry: the edit itself takes only those.
            if (m_playerController && order.size() == m_playerController->playlist().size() -
                                                          m_playerController->playlistIndex() - 1)
                m_playerController->keepUpcomingEntries(order);
        },
        Qt::QueuedConnection);
}

#include "moc_QueueWindowController.cpp"
