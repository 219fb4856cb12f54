#include "gui/QtFileBrowser.h"

#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/Artwork.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>

namespace mv {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The metafile patterns of the list, as Qt name filters.
QStringList MetafilePatterns() {
    QStringList patterns;
    for (const QString& p : QString::fromLatin1(TFileBrowser::kMetafileFilter).split(QLatin1Char(';')))
        patterns << p.trimmed();
    return patterns;
}

} // namespace

// ---------------------------------------------------------------- model

QVariant TGermanFileSystemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case 0:
            return QStringLiteral("Name");
        case 1:
            return QStringLiteral("Größe");
        case 2:
            return QStringLiteral("Typ");
        case 3:
            return QStringLiteral("Geändert am");
        default:
            break;
        }
    }
    return QFileSystemModel::headerData(section, orientation, role);
}

QVariant TGermanFileSystemModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && index.column() == 2 && role == Qt::DisplayRole) {
        if (isDir(index)) return QStringLiteral("Ordner");
        const QString suffix = fileInfo(index).suffix().toUpper();
        return suffix.isEmpty() ? QStringLiteral("Datei") : suffix + QStringLiteral("-Datei");
    }
    return QFileSystemModel::data(index, role);
}

// ---------------------------------------------------------------- list view

TFileListView::TFileListView(QWidget* parent) : QTreeView(parent) {}

void TFileListView::SetProblem(const QString& text) {
    problem_ = text;
    viewport()->update();
}

void TFileListView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState &&
        OnEnter && OnEnter()) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TFileListView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (problem_.isEmpty()) return;
    QPainter painter(viewport());
    painter.setPen(QColor(128, 0, 0));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, problem_);
}

// ---------------------------------------------------------------- browser

TQtFileBrowser::TQtFileBrowser(QObject* parent) : QObject(parent) {
    treeModel_ = new QFileSystemModel(this);
    treeModel_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    treeModel_->setReadOnly(true);
    treeModel_->setRootPath(QStringLiteral("/"));

    listModel_ = new TGermanFileSystemModel(this);
    // AllDirs: the patterns pick files only, every subfolder is listed.
    listModel_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    listModel_->setNameFilters(MetafilePatterns());
    listModel_->setNameFilterDisables(false);
    listModel_->setReadOnly(true);

    treePane_ = new QWidget;
    auto* paneLayout = new QVBoxLayout(treePane_);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(0);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(1);
    homeBtn_ = new QToolButton;
    homeBtn_->setIcon(art::HomeIcon());
    homeBtn_->setText(QStringLiteral("Persönlicher Ordner"));
    homeBtn_->setToolTip(QStringLiteral("Zum persönlichen Ordner ") + QDir::homePath());
    homeBtn_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    homeBtn_->setAutoRaise(true);
    rootBtn_ = new QToolButton;
    rootBtn_->setIcon(art::RootIcon());
    rootBtn_->setText(QStringLiteral("Dateisystem"));
    rootBtn_->setToolTip(QStringLiteral("Zur Wurzel des Dateisystems /"));
    rootBtn_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    rootBtn_->setAutoRaise(true);
    for (QToolButton* b : {homeBtn_, rootBtn_}) {
        b->setIconSize(QSize(14, 14));
        b->setFixedHeight(20);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    paneLayout->addLayout(buttons);

    tree_ = new QTreeView;
    tree_->setModel(treeModel_);
    for (int c = 1; c < treeModel_->columnCount(); ++c)
        tree_->hideColumn(c);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setAnimated(false);
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);
    paneLayout->addWidget(tree_);

    list_ = new TFileListView;
    list_->setModel(listModel_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setExpandsOnDoubleClick(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(true);
    list_->sortByColumn(0, Qt::AscendingOrder);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(false);
    list_->header()->resizeSection(0, nameWidth_);
    list_->header()->resizeSection(1, 70);
    list_->header()->resizeSection(2, 70);
    list_->header()->resizeSection(3, 120);
    list_->viewport()->installEventFilter(this);
    connect(list_->header(), &QHeaderView::sectionResized, this, [this](int index, int, int size) {
        if (fitting_) return;
        if (index == 0)
            nameWidth_ = size;
        else
            FitNameColumn();
        emit ColumnsResized();
    });

    connect(homeBtn_, &QToolButton::clicked, this, [this] {
        try {
            SetSelectedFolder(QDir::homePath().toStdString());
        } catch (const EInvalidPath& e) {
            list_->SetProblem(QString::fromStdString(e.what()));
        }
    });
    connect(rootBtn_, &QToolButton::clicked, this, [this] { SetSelectedFolder(""); });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { TreeCurrentChanged(current); });
    connect(treeModel_, &QFileSystemModel::directoryLoaded, this, [this] { FollowInTree(); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TQtFileBrowser::SelectionChanged);
    connect(list_, &QAbstractItemView::doubleClicked, this, &TQtFileBrowser::Activated);
    connect(list_, &QWidget::customContextMenuRequested, this, &TQtFileBrowser::ListContextMenu);
    // A folder removed or renamed on disk while shown empties the list.
    connect(listModel_, &QFileSystemModel::rootPathChanged, this, [this] { list_->viewport()->update(); });

    ShowFolder(folder_);
}

void TQtFileBrowser::SetSelectedFolder(const std::string& path) {
    ShowFolder(ResolveFolder(path));
    FollowInTree();
}

void TQtFileBrowser::ShowFolder(const std::string& folder) {
    const bool changed = folder != folder_ || list_->rootIndex() != listModel_->index(Q(folder));
    folder_ = folder;
    list_->clearSelection();
    const QModelIndex root = listModel_->setRootPath(Q(folder_));
    list_->setRootIndex(root);
    list_->SetProblem(QString());
    if (DIR* dir = ::opendir(folder_.c_str())) {
        ::closedir(dir);
    } else {
        list_->SetProblem(Q(EInvalidPath(folder_, errno).what()));
    }
    if (changed) emit FolderChanged(Q(folder_));
}

// Selects the shown folder in the tree; hidden folders are not in the tree,
// and then the nearest visible folder above is selected.
void TQtFileBrowser::FollowInTree() {
    QString path = Q(folder_);
    QModelIndex index = treeModel_->index(path);
    while (!index.isValid() && path.size() > 1) {
        path = QFileInfo(path).path();
        index = treeModel_->index(path);
    }
    if (!index.isValid()) return;
    following_ = true;
    if (tree_->currentIndex() != index) tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    following_ = false;
}

void TQtFileBrowser::TreeCurrentChanged(const QModelIndex& current) {
    if (following_ || !current.isValid()) return;
    ShowFolder(treeModel_->filePath(current).toStdString());
}

std::vector<QModelIndex> TQtFileBrowser::SelectedRows() const {
    QModelIndexList rows = list_->selectionModel()->selectedRows(0);
    std::vector<QModelIndex> result;
    for (const QModelIndex& index : rows) {
        if (index.parent() == list_->rootIndex()) result.push_back(index);
    }
    std::sort(result.begin(), result.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return result;
}

int TQtFileBrowser::SelectedCount() const {
    return static_cast<int>(SelectedRows().size());
}

bool TQtFileBrowser::SelectedIsFolder() const {
    const auto rows = SelectedRows();
    return !rows.empty() && listModel_->isDir(rows.front());
}

void TQtFileBrowser::OpenSelectedFolder() {
    const auto rows = SelectedRows();
    if (rows.empty() || !listModel_->isDir(rows.front())) return;
    SetSelectedFolder(listModel_->filePath(rows.front()).toStdString());
}

bool TQtFileBrowser::IsEditingLabel() const {
    return list_->IsEditing();
}

std::vector<std::string> TQtFileBrowser::SelectedFileNames() const {
    std::vector<std::string> names;
    for (const QModelIndex& index : SelectedRows()) {
        if (!listModel_->isDir(index)) names.push_back(listModel_->fileName(index).toStdString());
    }
    return names;
}

QStringList TQtFileBrowser::SelectedFilePaths() const {
    QStringList paths;
    for (const QModelIndex& index : SelectedRows()) {
        if (!listModel_->isDir(index)) paths << listModel_->filePath(index);
    }
    return paths;
}

void TQtFileBrowser::SelectNames(const QStringList& names) {
    QItemSelection selection;
    for (const QString& name : names) {
        const QModelIndex index = listModel_->index(Q(folder_) + (folder_ == "/" ? "" : "/") + name);
        if (index.isValid()) selection.select(index, index);
    }
    list_->selectionModel()->select(selection,
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!selection.isEmpty())
        list_->selectionModel()->setCurrentIndex(selection.indexes().first(), QItemSelectionModel::NoUpdate);
}

bool TQtFileBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::Resize) FitNameColumn();
    return QObject::eventFilter(watched, event);
}

void TQtFileBrowser::FitNameColumn() {
    QHeaderView* header = list_->header();
    int others = 0;
    for (int c = 1; c < header->count(); ++c) {
        if (!header->isSectionHidden(c)) others += header->sectionSize(c);
    }
    const int width = std::max(nameWidth_, list_->viewport()->width() - others);
    if (header->sectionSize(0) == width) return;
    fitting_ = true;
    header->resizeSection(0, width);
    fitting_ = false;
}

std::vector<int> TQtFileBrowser::ColumnWidths() const {
    std::vector<int> widths{nameWidth_};
    for (int c = 1; c < list_->header()->count(); ++c)
        widths.push_back(list_->header()->sectionSize(c));
    return widths;
}

void TQtFileBrowser::SetColumnWidths(const std::vector<int>& widths) {
    if (widths.size() != static_cast<std::size_t>(list_->header()->count())) return;
    fitting_ = true;
    // A column too narrow to find again is given a usable width.
    nameWidth_ = std::max(widths[0], 40);
    for (int c = 1; c < list_->header()->count(); ++c)
        list_->header()->resizeSection(c, std::max(widths[static_cast<std::size_t>(c)], 20));
    fitting_ = false;
    FitNameColumn();
}

void TQtFileBrowser::ListContextMenu(const QPoint& pos) {
    const QModelIndex at = list_->indexAt(pos);
    if (at.isValid() && !list_->selectionModel()->isSelected(at))
        list_->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto rows = SelectedRows();
    QMenu menu(list_);
    QAction* open = menu.addAction(QStringLiteral("Ö&ffnen"));
    open->setEnabled(!rows.empty());
    QAction* add = menu.addAction(QStringLiteral("&Zur Liste hinzufügen"));
    add->setEnabled(!SelectedFileNames().empty());
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("&Alle auswählen"));
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(pos));
    if (chosen == open) {
        if (listModel_->isDir(rows.front())) {
            emit Activated(); // a folder opens in the list, through the window
        } else {
            QDesktopServices::openUrl(QUrl::fromLocalFile(listModel_->filePath(rows.front())));
        }
    } else if (chosen == add) {
        emit AddRequested();
    } else if (chosen == all) {
        list_->selectAll();
    }
}

} // namespace mv
