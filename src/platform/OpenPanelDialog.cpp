#include "platform/OpenPanelDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int panelWidth = 640;
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

    m_buttons = new QDialogButtonBox(this);
    QPushButton* open =
        m_buttons->addButton(QStringLiteral("Öffnen"), QDialogButtonBox::AcceptRole);
    m_buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    open->setEnabled(false);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::selectionChanged, open,
            [this, open] { open->setEnabled(m_treeView->selectionModel()->hasSelection()); });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_treeView);
    layout->addWidget(m_buttons);
}

QList<QUrl> OpenPanelDialog::runModal(const QString& title)
{
    setWindowTitle(title);
    m_treeView->clearSelection();
    showFolder(m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder);
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
    const QModelIndex folder = m_model->index(path);
    m_treeView->expand(folder);
    m_treeView->scrollTo(folder, QAbstractItemView::PositionAtTop);
    m_treeView->setCurrentIndex(folder);
    m_treeView->clearSelection();
}

void OpenPanelDialog::activate(const QModelIndex& index)
{
    // Double-clicking a file opens it; a folder opens in the tree instead.
    if (!m_model->isDir(index))
        accept();
}
