#include "ui/OpenPanelDialog.h"

#include "ui/OpenPanelPlaces.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
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
    m_model->setNameFilters({QStringLiteral("*.mp3"), QStringLiteral("*.m3u"),
                             QStringLiteral("*.m3u8"), QStringLiteral("*.pls")});
    m_model->setNameFilterDisables(false);

    m_treeView = new QTreeView(this);
    m_treeView->setModel(m_model);
    m_treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_treeView->setSortingEnabled(true);
    m_treeView->sortByColumn(0, Qt::AscendingOrder);
    m_treeView->setColumnWidth(0, nameColumnWidth);
    m_treeView->hideColumn(typeColumn);
    connect(m_treeView, &QTreeView::activated, this, &OpenPanelDialog::activate);
    // Backspace goes up from the tree, where it edits nothing; Alt+Up from anywhere.
    connect(new QShortcut(Qt::Key_Backspace, m_treeView, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &OpenPanelDialog::showParentFolder);
    connect(new QShortcut(Qt::ALT | Qt::Key_Up, this), &QShortcut::activated, this,
            &OpenPanelDialog::showParentFolder);

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
    m_upButton = new QPushButton(QStringLiteral("Übergeordneter Ordner"), this);
    m_upButton->setAutoDefault(false);
    connect(m_upButton, &QPushButton::clicked, this, &OpenPanelDialog::showParentFolder);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Ort:"), this));
    row->addWidget(m_location, 1);
    row->addWidget(m_upButton);
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

QString OpenPanelDialog::runSaveModal(const QString& title)
{
    QFileDialog dialog(this, title, QDir::homePath(),
                       QStringLiteral("Wiedergabelisten (*.m3u8 *.m3u)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("m3u8"));
    dialog.selectFile(QStringLiteral("Wiedergabeliste.m3u8"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
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

// The folder becomes the tree's top: its entries are the tree's first level.
void OpenPanelDialog::showFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(path);
    m_model->setRootPath(folder);
    m_treeView->setRootIndex(m_model->index(folder));
    m_treeView->clearSelection();
    m_location->setText(folder);
    m_upButton->setEnabled(!QDir(folder).isRoot());
}

QString OpenPanelDialog::shownFolder() const
{
    return m_model->filePath(m_treeView->rootIndex());
}

void OpenPanelDialog::showParentFolder()
{
    if (QDir folder(shownFolder()); folder.cdUp())
        showFolder(folder.path());
}

void OpenPanelDialog::activate(const QModelIndex& index)
{
    // Double-clicking a file opens it; a folder is gone into.
    if (m_model->isDir(index))
        showFolder(m_model->filePath(index));
    else
        accept();
}

#include "moc_OpenPanelDialog.cpp"
