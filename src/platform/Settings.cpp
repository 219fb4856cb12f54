#include "platform/Settings.h"

#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Shell.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace mv {

namespace {

// A settings file is a few lines; anything this large is not one of ours.
constexpr off_t kMaxSettingsFileSize = 4 * 1024 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing (comments, blank lines).
std::optional<std::string_view> KeyOf(std::string_view line) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return TrimBlanks(t.substr(0, eq));
}

std::vector<std::string> ReadLines(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        throw EFOpenError(path);
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxSettingsFileSize) throw EFOpenError(path);
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    std::vector<std::string> lines;
    std::string text(bytes.begin(), bytes.end());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Index range [first, last) of the section's lines after its header, or
// nothing when the section is absent.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const std::vector<std::string>& lines,
                                                               std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionOf(lines[i]);
        if (!name || !SameText(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionOf(lines[end]))
            ++end;
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

std::string ISettingsStore::ReadString(std::string_view section, std::string_view key, std::string_view def) {
    std::optional<std::string> value = ReadValue(section, key);
    return value ? *value : std::string(def);
}

int ISettingsStore::ReadInteger(std::string_view section, std::string_view key, int def) {
    std::optional<std::string> value = ReadValue(section, key);
    if (!value) return def;
    std::string_view text = TrimBlanks(*value);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int result = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? result : def;
}

void ISettingsStore::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteValue(section, key, std::to_string(value));
}

std::optional<std::string> TIniFile::ReadValue(std::string_view section, std::string_view key) {
    std::vector<std::string> lines = ReadLines(path_);
    auto range = FindSection(lines, section);
    if (!range) return std::nullopt;
    for (std::size_t i = range->first; i < range->second; ++i) {
        auto k = KeyOf(lines[i]);
        if (!k || !SameText(*k, key)) continue;
        std::string_view value = TrimBlanks(std::string_view(lines[i]).substr(lines[i].find('=') + 1));
        if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

void TIniFile::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || section.find(']') != std::string_view::npos || HasLineBreak(section) ||
        TrimBlanks(section) != section)
        throw TmvError("Ungültiger Abschnitt für die Einstellungen: " + std::string(section));
    if (key.empty() || key.find('=') != std::string_view::npos || HasLineBreak(key) ||
        TrimBlanks(key) != key || key.front() == '[' || key.front() == ';' || key.front() == '#')
        throw TmvError("Ungültiger Schlüssel für die Einstellungen: " + std::string(key));
    if (HasLineBreak(value))
        throw TmvError("Der Wert von " + std::string(key) + " kann nicht gespeichert werden (Zeilenumbruch)");

    std::string stored(value);
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                           (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())))
        stored = "\"" + stored + "\"";
    std::string line = std::string(key) + "=" + stored;

    std::vector<std::string> lines = ReadLines(path_);
    auto range = FindSection(lines, section);
    if (!range) {
        if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(line);
    } else {
        bool replaced = false;
        for (std::size_t i = range->first; i < range->second && !replaced; ++i) {
            auto k = KeyOf(lines[i]);
            if (k && SameText(*k, key)) lines[i] = line, replaced = true;
        }
        if (!replaced) {
            // After the section's last non-blank line, so that the blank line
            // before the next section stays where it is.
            std::size_t at = range->second;
            while (at > range->first && TrimBlanks(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        }
    }

    std::string text;
    for (const std::string& l : lines)
        text += l + "\n";
    std::string folder = ExtractFilePath(path_);
    if (!folder.empty() && !ForceDirectories(folder)) throw EFCreateError(path_);
    // Written beside the file and renamed over it: a failure halfway leaves
    // the old settings intact.
    std::string temp = path_ + ".tmp";
    try {
        WriteWholeFile(temp, {text});
    } catch (const TmvError&) {
        std::remove(temp.c_str());
        throw EFCreateError(path_);
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::remove(temp.c_str());
        throw EFCreateError(path_);
    }
}

std::string DefaultSettingsPath() {
    std::string name = ExtractFileName(ExecutablePath());
    if (name.empty()) name = "metrovane";
    std::string folder = ConfigFolder();
    return (folder.empty() ? std::string() : folder + "/") + name + ".ini";
}

std::optional<TFormPlacement> ReadFormPlacement(ISettingsStore& store, std::string_view section) {
    constexpr int kMissing = -2147483647 - 1;
    TFormPlacement p;
    p.Left = store.ReadInteger(section, "Left", kMissing);
    p.Top = store.ReadInteger(section, "Top", kMissing);
    p.Width = store.ReadInteger(section, "Width", kMissing);
    p.Height = store.ReadInteger(section, "Height", kMissing);
    if (p.Left == kMissing || p.Top == kMissing || p.Width <= 0 || p.Height <= 0) return std::nullopt;
    int state = store.ReadInteger(section, "WindowState", 0);
    p.State = state == 1   ? TWindowState::Minimized
              : state == 2 ? TWindowState::Maximized
                           : TWindowState::Normal;
    return p;
}

void WriteFormPlacement(ISettingsStore& store, std::string_view section, const TFormPlacement& placement) {
    store.WriteInteger(section, "Left", placement.Left);
    store.WriteInteger(section, "Top", placement.Top);
    store.WriteInteger(section, "Width", placement.Width);
    store.WriteInteger(section, "Height", placement.Height);
    store.WriteInteger(section, "WindowState", static_cast<int>(placement.State));
}

} // namespace mv
