#pragma once
// The folder tree and the file list over the real file system, with Qt's
// file-system models (which watch the folders they show for changes). The
// window model reaches them through the platform's folder-tree and file-list
// operations, implemented here directly over the views: the views are the
// state, so there is nothing to keep in step.

#include "platform/FileBrowser.h"

#include <QFileSystemModel>
#include <QTreeView>
#include <QWidget>

#include <functional>

class QToolButton;

namespace mv {

// Headers and type names in German; everything else as Qt's model has it.
class TGermanFileSystemModel : public QFileSystemModel {
    Q_OBJECT
public:
    using QFileSystemModel::QFileSystemModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex& index, int role) const override;
};

// The file list: a details view that reports Enter to its owner and can show
// why a folder has nothing to list.
class TFileListView : public QTreeView {
    Q_OBJECT
public:
    explicit TFileListView(QWidget* parent = nullptr);
    // Called for Enter; true when the key was used.
    std::function<bool()> OnEnter;
    void SetProblem(const QString& text);
    bool IsEditing() const { return state() == EditingState; }
    const QString& Problem() const { return problem_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString problem_;
};

class TQtFileBrowser : public QObject, public IFolderTree, public IFileList {
    Q_OBJECT
public:
    // treeParent and listParent receive the two views (the tree with its
    // row of buttons for the home folder and the root).
    explicit TQtFileBrowser(QObject* parent = nullptr);

    QWidget* TreePane() const { return treePane_; }
    QTreeView* Tree() const { return tree_; }
    TFileListView* List() const { return list_; }
    QFileSystemModel* ListModel() const { return listModel_; }
    QToolButton* HomeButton() const { return homeBtn_; }

    // IFolderTree
    std::string SelectedFolder() const override { return folder_; }
    void SetSelectedFolder(const std::string& path) override;
    // IFileList
    int SelectedCount() const override;
    bool SelectedIsFolder() const override;
    void OpenSelectedFolder() override;
    bool IsEditingLabel() const override;
    std::vector<std::string> SelectedFileNames() const override;

    // Full paths of the selected files (not folders), in list order.
    QStringList SelectedFilePaths() const;
    // Selects the items of the list with these names (exactly these).
    void SelectNames(const QStringList& names);

    // The widths of the list's columns. The name column takes what the
    // others leave of the list's width; its own width is the least it gets.
    std::vector<int> ColumnWidths() const;
    // Widths as ColumnWidths gives them; a list of another length is ignored.
    void SetColumnWidths(const std::vector<int>& widths);

signals:
    // The list shows another folder.
    void FolderChanged(const QString& folder);
    // The selection of the list changed.
    void SelectionChanged();
    // The context menu's "Zur Liste hinzufügen".
    void AddRequested();
    // Double-click on an item of the list.
    void Activated();
    // The user changed the width of a column.
    void ColumnsResized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFolder(const std::string& folder);
    void TreeCurrentChanged(const QModelIndex& current);
    void FollowInTree();
    void ListContextMenu(const QPoint& pos);
    std::vector<QModelIndex> SelectedRows() const;
    void FitNameColumn();

    QWidget* treePane_;
    QToolButton* homeBtn_;
    QToolButton* rootBtn_;
    QFileSystemModel* treeModel_;
    TGermanFileSystemModel* listModel_;
    QTreeView* tree_;
    TFileListView* list_;
    std::string folder_ = "/";
    bool following_ = false;
    int nameWidth_ = 150;
    bool fitting_ = false;
};

} // namespace mv
