#include "ui/QueueWindowController.h"

#include "player/PlayerWindowController.h"
#include "player/WindowPlacement.h"

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
    m_tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableView->setUniformItemSizes(true);
    m_tableView->setSpacing(1); // 2 points between rows
    m_tableView->setTextElideMode(Qt::ElideMiddle);
    m_tableView->setWordWrap(false);
    QFont font;
    font.setPixelSize(12);
    m_tableView->setFont(font);
    connect(m_tableView, &QListWidget::itemSelectionChanged, this,
            &QueueWindowController::tableViewSelectionDidChange);

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
    m_items = m_playerController ? m_playerController->upcomingTrackItems()
                                 : std::vector<UpcomingTrackItem>{};
    const QSignalBlocker quiet(m_tableView); // rebuilding the rows is not a choice
    m_tableView->clear();
    for (const UpcomingTrackItem& item : m_items) {
        auto* row = new QListWidgetItem(item.title, m_tableView);
        row->setSizeHint(QSize(0, rowHeight));
    }
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

void QueueWindowController::tableViewSelectionDidChange()
{
    const QList<QListWidgetItem*> selected = m_tableView->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_tableView->row(selected.constFirst());
    if (row < 0 || row >= static_cast<int>(m_items.size()))
        return;
    const qint64 index = m_items[static_cast<std::size_t>(row)].index;
    m_window->close();
    if (m_playerController)
        m_playerController->playPlaylistIndex(index);
}

#include "moc_QueueWindowController.cpp"
