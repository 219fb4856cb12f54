#include "platform/Shell.h"

#include "platform/CodePage.h"
#include "platform/FileAccess.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace mv {

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The value of a user-dirs.dirs line: shell quoting with backslash escapes,
// and only "$HOME/..." or an absolute path, as the format allows.
std::string UserDirValue(std::string value, const std::string& home) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        std::string unquoted;
        for (std::size_t i = 1; i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && i + 2 < value.size()) ++i;
            unquoted.push_back(value[i]);
        }
        value = unquoted;
    }
    for (const char* prefix : {"$HOME", "${HOME}"}) {
        std::string p = prefix;
        if (value.compare(0, p.size(), p) == 0 && (value.size() == p.size() || value[p.size()] == '/'))
            return home.empty() ? std::string() : home + value.substr(p.size());
    }
    return !value.empty() && value.front() == '/' ? value : std::string();
}

} // namespace

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        if (buffer.size() >= (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() {
    std::string folder = ExtractFilePath(ExecutablePath());
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return WithoutTrailingSlash(home);
    std::vector<char> buffer(16384);
    struct passwd pw {};
    struct passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result && pw.pw_dir &&
        *pw.pw_dir)
        return WithoutTrailingSlash(pw.pw_dir);
    return {};
}

std::string ConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return WithoutTrailingSlash(xdg);
    std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

std::string DocumentsFolder() {
    std::string home = HomeFolder();
    std::string config = ConfigFolder();
    std::string found;
    if (!config.empty()) {
        std::ifstream dirs(config + "/user-dirs.dirs");
        std::string line;
        while (std::getline(dirs, line)) {
            line = Trim(line);
            if (line.empty() || line[0] == '#') continue;
            std::size_t eq = line.find('=');
            if (eq == std::string::npos || Trim(line.substr(0, eq)) != "XDG_DOCUMENTS_DIR") continue;
            // The last assignment wins, as when the shell reads the file.
            found = WithoutTrailingSlash(UserDirValue(Trim(line.substr(eq + 1)), home));
        }
    }
    // A documents folder set to the home folder itself means "none".
    if (!found.empty() && found != home) return found;
    if (!home.empty() && DirectoryExists(home + "/Documents")) return home + "/Documents";
    return {};
}

std::string UserDataFolder() {
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        data = WithoutTrailingSlash(xdg);
    } else {
        std::string home = HomeFolder();
        if (home.empty()) return {};
        data = home + "/.local/share";
    }
    return data + "/metrovane";
}

void OpenWebAddress(const std::string& opener, const std::string& address) {
    // A shell starts the opener in the background and ends at once; the
    // opener then belongs to init, so nothing waits for it and no zombie is
    // left. The address is passed as an argument, never parsed by the shell.
    const char* script = "\"$1\" \"$2\" </dev/null >/dev/null 2>&1 &";
    std::vector<std::string> args = {"sh", "-c", script, "sh", opener, address};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string TLinuxShell::ProgramFolder() {
    return mv::ProgramFolder();
}
std::string TLinuxShell::DocumentsFolder() {
    return mv::DocumentsFolder();
}
std::string TLinuxShell::UserDataFolder() {
    return mv::UserDataFolder();
}
bool TLinuxShell::CanWriteTo(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}
void TLinuxShell::OpenWebAddress(const std::string& address) {
    mv::OpenWebAddress(opener_, address);
}

} // namespace mv
