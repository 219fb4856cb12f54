#include "platform/FileAccess.h"

#include "platform/Errors.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <sys/types.h>

namespace mv {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw EFOpenError(path);
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) throw EFOpenError(path);
    std::vector<std::uint8_t> bytes;
    // The size from stat is a hint only; the file may change while it is read.
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer) {
            if (std::ferror(f.get())) throw EFOpenError(path);
            break;
        }
    }
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces) {
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) throw EFCreateError(path);
    for (std::string_view piece : pieces) {
        if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), f.get()) != piece.size())
            throw EInOutError("Fehler beim Schreiben der Datei " + path);
    }
    std::FILE* raw = f.release();
    if (std::fclose(raw) != 0) throw EInOutError("Fehler beim Schreiben der Datei " + path);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
    std::string dir = path;
    if (!dir.empty() && dir.back() == '/') dir.pop_back();
    if (dir.empty()) return !path.empty(); // "/" itself exists
    if (DirectoryExists(dir)) return true;
    std::string::size_type slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (!ForceDirectories(dir.substr(0, slash))) return false;
    }
    if (::mkdir(dir.c_str(), 0777) == 0) return true;
    if (errno != EEXIST) return false;
    if (DirectoryExists(dir)) return true;
    errno = ENOTDIR; // a file of that name is in the way
    return false;
}

std::string ExtractFileName(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace mv
