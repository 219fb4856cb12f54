#include "FakePlatform.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace mv::test {

namespace {
std::string Fold(std::string_view s) {
    std::string f(s);
    for (char& c : f) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return f;
}
} // namespace

std::optional<std::string> TMemorySettings::ReadValue(std::string_view section, std::string_view key) {
    if (FailReads) throw TmvError("Datei settings.ini kann nicht geöffnet werden");
    return Peek(section, key);
}

void TMemorySettings::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
    if (FailWrites) throw TmvError("Datei settings.ini kann nicht erstellt werden");
    ++WriteCount;
    values_[{Fold(section), Fold(key)}] = std::string(value);
}

std::optional<std::string> TMemorySettings::Peek(std::string_view section, std::string_view key) const {
    auto it = values_.find({Fold(section), Fold(key)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

TMsgResult TScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, TMsgIcon icon,
                                        TMsgButtons buttons) {
    Calls.push_back({TKind::Message, text, caption, icon, buttons, {}});
    if (MessageAnswers.empty()) {
        switch (buttons) {
        case TMsgButtons::YesNoCancel:
            return TMsgResult::No;
        case TMsgButtons::SkipCancel:
            return TMsgResult::Cancel;
        default:
            return TMsgResult::OK;
        }
    }
    TMsgResult answer = MessageAnswers.front();
    MessageAnswers.pop_front();
    return answer;
}

namespace {
std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<std::string> answer = queue.front();
    queue.pop_front();
    return answer;
}
} // namespace

std::optional<std::string> TScriptedDialogs::OpenFileDialog(const TFileDialogOptions& options) {
    Calls.push_back({TKind::Open, {}, {}, TMsgIcon::None, TMsgButtons::OK, options});
    return Next(OpenAnswers);
}

std::optional<std::string> TScriptedDialogs::SaveFileDialog(const TFileDialogOptions& options) {
    Calls.push_back({TKind::Save, {}, {}, TMsgIcon::None, TMsgButtons::OK, options});
    return Next(SaveAnswers);
}

std::optional<std::string> TScriptedDialogs::FolderDialog(const std::string& title,
                                                          const std::string& startFolder) {
    TFileDialogOptions options;
    options.InitialDir = startFolder;
    Calls.push_back({TKind::Folder, title, {}, TMsgIcon::None, TMsgButtons::OK, options});
    return Next(FolderAnswers);
}

std::vector<TScriptedDialogs::TCall> TScriptedDialogs::Messages() const {
    std::vector<TCall> messages;
    std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(messages),
                 [](const TCall& c) { return c.Kind == TKind::Message; });
    return messages;
}

void TFakeFileBrowser::SetSelectedFolder(const std::string& path) {
    SelectCalls.push_back(path);
    // The root always exists, as on the real file system.
    std::string folder = path.empty() ? "/" : path;
    auto it = Contents.find(folder);
    if (folder != "/" && (MissingFolders.count(folder) || it == Contents.end()))
        throw EInvalidPath(path, ENOENT);
    Folder = folder;
    Items = it == Contents.end() ? std::vector<TItem>() : it->second;
    EditingLabel = false;
}

int TFakeFileBrowser::SelectedCount() const {
    return static_cast<int>(
        std::count_if(Items.begin(), Items.end(), [](const TItem& i) { return i.Selected; }));
}

bool TFakeFileBrowser::SelectedIsFolder() const {
    auto it = std::find_if(Items.begin(), Items.end(), [](const TItem& i) { return i.Selected; });
    return it != Items.end() && it->IsFolder;
}

void TFakeFileBrowser::OpenSelectedFolder() {
    auto it = std::find_if(Items.begin(), Items.end(), [](const TItem& i) { return i.Selected; });
    if (it == Items.end() || !it->IsFolder) return;
    SetSelectedFolder(Folder == "/" ? "/" + it->Name : Folder + "/" + it->Name);
}

std::vector<std::string> TFakeFileBrowser::SelectedFileNames() const {
    std::vector<std::string> names;
    for (const TItem& item : Items) {
        if (item.Selected && !item.IsFolder) names.push_back(item.Name);
    }
    return names;
}

void TFakeFileBrowser::Select(const std::vector<std::string>& names) {
    for (TItem& item : Items)
        item.Selected = std::find(names.begin(), names.end(), item.Name) != names.end();
}

} // namespace mv::test
