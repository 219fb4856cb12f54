#pragma once
// The settings kept across program runs: a store of string values by
// section and key, and the INI file that holds them on Linux.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace mv {

// Where the main window keeps its values.
inline constexpr const char* kMainFormSection = "TMainForm";
inline constexpr const char* kOutputFolderKey = "DirectoryEdit1_Text";

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The stored value, or nothing when the key is not there. Raises a
    // TmvError when the store exists but cannot be read.
    virtual std::optional<std::string> ReadValue(std::string_view section, std::string_view key) = 0;
    // Stores the value at once. Raises a TmvError when it cannot be stored.
    virtual void WriteValue(std::string_view section, std::string_view key, std::string_view value) = 0;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def);
    // A value that is not a whole number gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def);
    void WriteInteger(std::string_view section, std::string_view key, int value);
};

// An INI file: "[section]" lines and "key=value" lines below them. Sections
// and keys are found without regard to letter case; values are UTF-8 byte
// strings. Every read looks at the file afresh; every write rewrites it
// through a temporary file, keeping other sections, keys and comments. A
// missing file reads as empty and is created, with its folder, on the first
// write.
class TIniFile : public ISettingsStore {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) override;
    // Values with surrounding blanks or quotes are written in double quotes
    // so that they read back unchanged. A line break in a value, or a key or
    // section that the file layout cannot hold, raises a TmvError.
    void WriteValue(std::string_view section, std::string_view key, std::string_view value) override;

private:
    std::string path_;
};

// The settings file of this program: its file name with ".ini" in the
// configuration folder ($XDG_CONFIG_HOME or ~/.config).
std::string DefaultSettingsPath();

// Window placement as the settings store keeps it.
enum class TWindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct TFormPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    TWindowState State = TWindowState::Normal;
};

// Nothing when no complete placement with a positive size is stored.
std::optional<TFormPlacement> ReadFormPlacement(ISettingsStore& store, std::string_view section);
void WriteFormPlacement(ISettingsStore& store, std::string_view section, const TFormPlacement& placement);

} // namespace mv
