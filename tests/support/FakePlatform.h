#pragma once
// Stand-ins for the platform services of the main window, so that the window
// model runs in tests without a display, a desktop or a home folder.

#include "platform/Dialogs.h"
#include "platform/FileBrowser.h"
#include "platform/Settings.h"
#include "platform/Shell.h"

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mv::test {

class TFakeShell : public IShell {
public:
    std::string ProgramFolderValue = "/opt/metrovane/";
    std::string DocumentsFolderValue = "/home/user/Documents";
    std::string UserDataFolderValue = "/home/user/.local/share/metrovane";
    std::vector<std::string> OpenedAddresses;

    std::string ProgramFolder() override { return ProgramFolderValue; }
    std::string DocumentsFolder() override { return DocumentsFolderValue; }
    std::string UserDataFolder() override { return UserDataFolderValue; }
    // Folders (as asked for) in which nothing can be created.
    std::set<std::string> ReadOnlyFolders;
    bool CanWriteTo(const std::string& folder) override { return !ReadOnlyFolders.count(folder); }
    void OpenWebAddress(const std::string& address) override { OpenedAddresses.push_back(address); }
};

// Settings in memory; sections and keys without regard to ASCII case, like
// the INI file. FailReads / FailWrites make the calls raise a TmvError.
class TMemorySettings : public ISettingsStore {
public:
    bool FailReads = false;
    bool FailWrites = false;
    int WriteCount = 0;

    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) override;
    void WriteValue(std::string_view section, std::string_view key, std::string_view value) override;
    // The stored value, without going through the failure switches.
    std::optional<std::string> Peek(std::string_view section, std::string_view key) const;
    void Clear() { values_.clear(); }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// Records every dialog and message box asked for and answers from queues.
// An empty queue answers "cancelled" for dialogs, and for message boxes the
// answer that goes on without a side effect: OK, No (do not save) or Cancel
// (stop the run instead of skipping).
class TScriptedDialogs : public IDialogs {
public:
    enum class TKind { Message, Open, Save, Folder };
    struct TCall {
        TKind Kind;
        std::string Text;    // message text, or the folder dialog's title
        std::string Caption; // message caption
        TMsgIcon Icon = TMsgIcon::None;
        TMsgButtons Buttons = TMsgButtons::OK;
        TFileDialogOptions Options; // open and save; InitialDir also for the folder dialog
    };

    std::vector<TCall> Calls;
    std::deque<TMsgResult> MessageAnswers;
    std::deque<std::optional<std::string>> OpenAnswers;
    std::deque<std::optional<std::string>> SaveAnswers;
    std::deque<std::optional<std::string>> FolderAnswers;

    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgIcon icon,
                          TMsgButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> FolderDialog(const std::string& title,
                                            const std::string& startFolder) override;

    // The message boxes shown so far, in order.
    std::vector<TCall> Messages() const;
};

// Folder tree and file list over a scripted folder structure: Contents holds
// the items of each folder; selecting a folder other than "/" that is not in
// Contents, or one in MissingFolders, raises EInvalidPath like a folder that
// does not exist.
class TFakeFileBrowser : public IFolderTree, public IFileList {
public:
    struct TItem {
        std::string Name;
        bool IsFolder = false;
        bool Selected = false;
    };

    std::map<std::string, std::vector<TItem>> Contents;
    std::set<std::string> MissingFolders;
    std::string Folder = "/";
    std::vector<TItem> Items;
    bool EditingLabel = false;
    std::vector<std::string> SelectCalls; // every SetSelectedFolder path, failed ones too

    std::string SelectedFolder() const override { return Folder; }
    void SetSelectedFolder(const std::string& path) override;
    int SelectedCount() const override;
    bool SelectedIsFolder() const override;
    void OpenSelectedFolder() override;
    bool IsEditingLabel() const override { return EditingLabel; }
    std::vector<std::string> SelectedFileNames() const override;

    // Selects exactly the items with these names.
    void Select(const std::vector<std::string>& names);
};

} // namespace mv::test
