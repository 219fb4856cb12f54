#pragma once
// The folder tree and the file list from which the user picks metafiles: the
// operations the main window needs of them, and a model over the file
// system that a view shows and tests drive directly.

#include "platform/Errors.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// A folder that cannot be selected: path + ": " + the system's error text.
class EInvalidPath : public TmvError {
public:
    EInvalidPath(const std::string& path, int error);
};

// The system's text for an errno value.
std::string SystemErrorText(int error);

class IFolderTree {
public:
    virtual ~IFolderTree() = default;
    // The selected folder's path, without a trailing '/' (except "/" itself).
    virtual std::string SelectedFolder() const = 0;
    // Selects the folder; an empty path selects the root of the file system.
    // A path that does not lead to a readable folder raises EInvalidPath and
    // keeps the selection.
    virtual void SetSelectedFolder(const std::string& path) = 0;
};

class IFileList {
public:
    virtual ~IFileList() = default;
    virtual int SelectedCount() const = 0;
    // Whether the first selected item (in list order) is a folder.
    virtual bool SelectedIsFolder() const = 0;
    // Opens the first selected item when it is a folder; the tree follows.
    virtual void OpenSelectedFolder() = 0;
    // Whether the user is renaming an item in the list.
    virtual bool IsEditingLabel() const = 0;
    // Names (no folder) of the selected items that are files, in list order.
    virtual std::vector<std::string> SelectedFileNames() const = 0;
};

struct TFileItem {
    std::string Name;
    bool IsFolder = false;
    bool Selected = false;
    std::uintmax_t Size = 0;
    std::filesystem::file_time_type Modified{};
};

// Whether the name matches one of the ';'-separated patterns ('*' any run,
// '?' one character), without regard to letter case. "*.*" matches every
// name, also one without a dot.
bool MatchesFilter(std::string_view name, std::string_view filter);

// The visible entries of a folder: its subfolders, then its regular files
// whose names match the filter (none for an empty filter), each group sorted
// by name without regard to case. Hidden entries (names starting with '.')
// are left out; links count as what they point to. A folder that cannot be
// read lists as empty.
std::vector<TFileItem> ListFolder(const std::string& folder, std::string_view filter);

// The folder a tree selects for path: absolute, normalised, without a
// trailing '/' ("/" for an empty path). Raises EInvalidPath when the path
// does not lead to a folder that can be read.
std::string ResolveFolder(const std::string& path);

// Both views over the file system: the list shows the folder selected in the
// tree. Starts on the root folder.
class TFileBrowser : public IFolderTree, public IFileList {
public:
    static constexpr const char* kMetafileFilter = "*.emf;*.wmf";

    explicit TFileBrowser(std::string filter = kMetafileFilter);

    std::string SelectedFolder() const override { return folder_; }
    void SetSelectedFolder(const std::string& path) override;

    int SelectedCount() const override;
    bool SelectedIsFolder() const override;
    void OpenSelectedFolder() override;
    bool IsEditingLabel() const override { return editingLabel_; }
    std::vector<std::string> SelectedFileNames() const override;

    const std::vector<TFileItem>& Items() const { return items_; }
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter);
    // Reads the folder again (after a change on disk); selected names stay
    // selected.
    void Refresh();
    // Out-of-range indices are ignored.
    void SetSelected(std::size_t index, bool selected);
    void SelectOnly(std::size_t index);
    void ClearSelection();
    void SetEditingLabel(bool editing) { editingLabel_ = editing; }
    // Called after the folder or the items changed, for the view.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    void Changed();

    std::string filter_;
    std::string folder_ = "/";
    std::vector<TFileItem> items_;
    bool editingLabel_ = false;
    std::function<void()> onChange_;
};

} // namespace mv
