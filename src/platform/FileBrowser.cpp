#include "platform/FileBrowser.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>

namespace mv {

namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Wildcard match with backtracking to the last '*': linear in practice and
// never worse than name length times pattern length.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*" || pattern == "*.*") return true;
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            ++n;
            while (n < name.size() && IsContinuation(name[n]))
                ++n; // one whole UTF-8 character
        } else if (p < pattern.size() && FoldCase(pattern[p]) == FoldCase(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool NameLess(const std::string& a, const std::string& b) {
    auto fold = [](const std::string& s) {
        std::string f(s);
        std::transform(f.begin(), f.end(), f.begin(), FoldCase);
        return f;
    };
    std::string fa = fold(a), fb = fold(b);
    return fa != fb ? fa < fb : a < b;
}

std::string ChildPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace

std::string SystemErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

EInvalidPath::EInvalidPath(const std::string& path, int error)
    : TmvError(path + ": " + SystemErrorText(error)) {}

bool MatchesFilter(std::string_view name, std::string_view filter) {
    while (!filter.empty()) {
        std::size_t semi = filter.find(';');
        std::string_view pattern = TrimBlanks(filter.substr(0, semi));
        if (!pattern.empty() && MatchesPattern(name, pattern)) return true;
        if (semi == std::string_view::npos) break;
        filter.remove_prefix(semi + 1);
    }
    return false;
}

std::vector<TFileItem> ListFolder(const std::string& folder, std::string_view filter) {
    namespace fs = std::filesystem;
    std::vector<TFileItem> folders, files;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code sec;
        fs::file_status st = it->status(sec); // follows links; a dangling one is skipped
        if (sec) continue;
        TFileItem item;
        item.Name = std::move(name);
        if (fs::is_directory(st)) {
            item.IsFolder = true;
            item.Modified = it->last_write_time(sec);
            folders.push_back(std::move(item));
        } else if (fs::is_regular_file(st) && MatchesFilter(item.Name, filter)) {
            item.Size = it->file_size(sec);
            if (sec) item.Size = 0;
            item.Modified = it->last_write_time(sec);
            files.push_back(std::move(item));
        }
    }
    auto byName = [](const TFileItem& a, const TFileItem& b) { return NameLess(a.Name, b.Name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), std::make_move_iterator(files.begin()),
                   std::make_move_iterator(files.end()));
    return folders;
}

TFileBrowser::TFileBrowser(std::string filter) : filter_(std::move(filter)) {
    items_ = ListFolder(folder_, filter_);
}

std::string ResolveFolder(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return "/";
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) throw EInvalidPath(path, ec.value());
    std::string folder = absolute.lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // Opening the folder is the test the list needs anyway; it tells apart a
    // missing folder, a file and one without permission.
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) throw EInvalidPath(path, errno);
    ::closedir(dir);
    return folder;
}

void TFileBrowser::SetSelectedFolder(const std::string& path) {
    folder_ = ResolveFolder(path);
    items_ = ListFolder(folder_, filter_);
    editingLabel_ = false;
    Changed();
}

int TFileBrowser::SelectedCount() const {
    return static_cast<int>(
        std::count_if(items_.begin(), items_.end(), [](const TFileItem& i) { return i.Selected; }));
}

bool TFileBrowser::SelectedIsFolder() const {
    auto it = std::find_if(items_.begin(), items_.end(), [](const TFileItem& i) { return i.Selected; });
    return it != items_.end() && it->IsFolder;
}

void TFileBrowser::OpenSelectedFolder() {
    auto it = std::find_if(items_.begin(), items_.end(), [](const TFileItem& i) { return i.Selected; });
    if (it == items_.end() || !it->IsFolder) return;
    SetSelectedFolder(ChildPath(folder_, it->Name));
}

std::vector<std::string> TFileBrowser::SelectedFileNames() const {
    std::vector<std::string> names;
    for (const TFileItem& item : items_) {
        if (item.Selected && !item.IsFolder) names.push_back(item.Name);
    }
    return names;
}

void TFileBrowser::SetFilter(std::string filter) {
    filter_ = std::move(filter);
    Refresh();
}

void TFileBrowser::Refresh() {
    std::set<std::string> selected;
    for (const TFileItem& item : items_) {
        if (item.Selected) selected.insert(item.Name);
    }
    items_ = ListFolder(folder_, filter_);
    for (TFileItem& item : items_)
        item.Selected = selected.count(item.Name) != 0;
    Changed();
}

void TFileBrowser::SetSelected(std::size_t index, bool selected) {
    if (index < items_.size()) items_[index].Selected = selected;
}

void TFileBrowser::SelectOnly(std::size_t index) {
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i].Selected = i == index;
}

void TFileBrowser::ClearSelection() {
    for (TFileItem& item : items_)
        item.Selected = false;
}

void TFileBrowser::Changed() {
    if (onChange_) onChange_();
}

} // namespace mv
