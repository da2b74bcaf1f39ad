#include "ui/OpenPanelDialog.h"

#include "ui/OpenPanelPlaces.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int panelWidth = 800;
constexpr int placesWidth = 170;
constexpr int panelHeight = 440;
constexpr int nameColumnWidth = 320;
constexpr int typeColumn = 2;

} // namespace

OpenPanelDialog::OpenPanelDialog(QWidget* parent) : QDialog(parent)
{
    setWindowModality(Qt::ApplicationModal);
    resize(panelWidth, panelHeight);

    m_model = new QFileSystemModel(this);
    // Without QDir::Hidden dot files stay out; name filters ignore case and leave folders be.
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setNameFilters({QStringLiteral("*.mp3")});
    m_model->setNameFilterDisables(false);
    m_model->setRootPath(QDir::rootPath());

    m_treeView = new QTreeView(this);
    m_treeView->setModel(m_model);
    m_treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_treeView->setSortingEnabled(true);
    m_treeView->sortByColumn(0, Qt::AscendingOrder);
    m_treeView->setColumnWidth(0, nameColumnWidth);
    m_treeView->hideColumn(typeColumn);
    connect(m_treeView, &QTreeView::activated, this, &OpenPanelDialog::activate);
    // The model lists folders in the background, so the folder to show moves while the rows
    // of the folders above it come in: it is scrolled to again each time, until the user acts.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (!m_shownFolder.isEmpty() && m_shownFolder.startsWith(folder))
            QTimer::singleShot(0, this, [this] { scrollToShownFolder(); });
    });
    connect(m_treeView, &QTreeView::pressed, this, [this] { m_shownFolder.clear(); });
    connect(m_treeView->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_shownFolder.clear(); });

    auto* browser = new QHBoxLayout;
    browser->addWidget(buildPlacesList());
    browser->addWidget(m_treeView, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildLocationRow());
    layout->addLayout(browser, 1);
    layout->addWidget(buildButtons());
}

QLayout* OpenPanelDialog::buildLocationRow()
{
    // A folder can be typed as well as found in the tree or the places.
    m_location = new QLineEdit(this);
    m_location->setCompleter(new QCompleter(m_model, m_location));
    connect(m_location, &QLineEdit::returnPressed, this, [this] {
        if (QFileInfo(m_location->text()).isDir())
            showFolder(m_location->text());
    });
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, m_location,
            [this](const QModelIndex& current) {
                m_location->setText(m_model->isDir(current) ? m_model->filePath(current)
                                                            : m_model->filePath(current.parent()));
            });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Ort:"), this));
    row->addWidget(m_location, 1);
    return row;
}

QListWidget* OpenPanelDialog::buildPlacesList()
{
    m_places = new QListWidget(this);
    m_places->setFixedWidth(placesWidth);
    connect(m_places, &QListWidget::itemClicked, this, [this](const QListWidgetItem* place) {
        showFolder(place->data(Qt::UserRole).toString());
    });
    return m_places;
}

// Read at every run: a volume may have been mounted or a user folder made meanwhile.
void OpenPanelDialog::listPlaces()
{
    m_places->clear();
    for (const OpenPanelPlace& place : openPanelPlaces()) {
        auto* item = new QListWidgetItem(place.title, m_places);
        item->setData(Qt::UserRole, place.path);
        item->setToolTip(place.path);
    }
}

QDialogButtonBox* OpenPanelDialog::buildButtons()
{
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(QStringLiteral("Öffnen"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    // Return belongs to the location field and the tree, not to a default button.
    open->setAutoDefault(false);
    cancel->setAutoDefault(false);
    open->setEnabled(false);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::selectionChanged, open,
            [this, open] { open->setEnabled(m_treeView->selectionModel()->hasSelection()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

QList<QUrl> OpenPanelDialog::runModal(const QString& title)
{
    setWindowTitle(title);
    m_treeView->clearSelection();
    listPlaces();
    showFolder(openPanelStartFolder(m_lastFolder));
    m_treeView->setFocus(); // typing a name jumps to it
    if (exec() != QDialog::Accepted)
        return {};
    const QList<QUrl> urls = selectedURLs();
    if (!urls.isEmpty())
        m_lastFolder = QFileInfo(urls.first().toLocalFile()).path();
    return urls;
}

QList<QUrl> OpenPanelDialog::selectedURLs() const
{
    QList<QUrl> urls;
    for (const QModelIndex& index : m_treeView->selectionModel()->selectedRows())
        urls << QUrl::fromLocalFile(m_model->filePath(index));
    return urls;
}

void OpenPanelDialog::showFolder(const QString& path)
{
    m_shownFolder = QDir::cleanPath(path);
    const QModelIndex folder = m_model->index(m_shownFolder);
    m_treeView->expand(folder);
    m_treeView->setCurrentIndex(folder);
    m_treeView->clearSelection();
    scrollToShownFolder();
}

void OpenPanelDialog::scrollToShownFolder()
{
    if (!m_shownFolder.isEmpty())
        m_treeView->scrollTo(m_model->index(m_shownFolder), QAbstractItemView::PositionAtTop);
}

void OpenPanelDialog::activate(const QModelIndex& index)
{
    // Double-clicking a file opens it; a folder opens in the tree instead.
    if (!m_model->isDir(index))
        accept();
}

#include "moc_OpenPanelDialog.cpp"
