#pragma once
// Shell services of the main window: where the program and the user's
// documents live, and opening a web address with the desktop's handler.

#include <string>
#include <utility>

namespace mv {

class IShell {
public:
    virtual ~IShell() = default;
    // The folder of the program file, ending in '/'; empty if unknown.
    virtual std::string ProgramFolder() = 0;
    // The user's documents folder (no trailing '/'); empty if there is none.
    virtual std::string DocumentsFolder() = 0;
    // This program's folder among the user's data (no trailing '/'), for
    // what cannot be kept next to the program; empty if unknown. It need
    // not exist yet.
    virtual std::string UserDataFolder() = 0;
    // Whether files can be created in the folder.
    virtual bool CanWriteTo(const std::string& folder) = 0;
    // Hands the address to the desktop and returns at once; a failure is
    // reported nowhere.
    virtual void OpenWebAddress(const std::string& address) = 0;
};

// The Linux shell. The opener is the command that receives the address as
// its only argument.
class TLinuxShell : public IShell {
public:
    explicit TLinuxShell(std::string opener = "xdg-open") : opener_(std::move(opener)) {}
    std::string ProgramFolder() override;
    std::string DocumentsFolder() override;
    std::string UserDataFolder() override;
    bool CanWriteTo(const std::string& folder) override;
    void OpenWebAddress(const std::string& address) override;

private:
    std::string opener_;
};

// Full path of the running program file (from /proc/self/exe); empty if
// unknown.
std::string ExecutablePath();
// Folder part of ExecutablePath() with a trailing '/'; empty if unknown.
std::string ProgramFolder();
// $HOME, else the account's home folder; empty if neither is known.
std::string HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string ConfigFolder();
// XDG_DOCUMENTS_DIR from user-dirs.dirs in the config folder, else
// ~/Documents when it exists, else empty.
std::string DocumentsFolder();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; with
// "/metrovane" appended. Empty if neither is known.
std::string UserDataFolder();
// Starts opener with the address, detached from this process.
void OpenWebAddress(const std::string& opener, const std::string& address);

} // namespace mv
