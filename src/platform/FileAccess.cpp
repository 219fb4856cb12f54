#include "platform/FileAccess.h"

#include "platform/Errors.h"
#include "platform/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace mv {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

int TFd::Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}

TInputFile::TInputFile(const std::string& path) : path_(path) {
    // Non-blocking, so that opening a pipe does not wait for a writer before
    // it is refused.
    if (!path.empty()) fd_.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd_.IsOpen() || ::fstat(fd_.Get(), &st) != 0 || !S_ISREG(st.st_mode)) throw EFOpenError(path);
    size_ = static_cast<std::uint64_t>(st.st_size);
}

void TInputFile::ReadInto(std::vector<std::uint8_t>& bytes, std::uint64_t count) {
    // The size from fstat is a hint only; the file may change while it is read.
    const std::uint64_t expected = std::min(count, size_ > offset_ ? size_ - offset_ : 0);
    bytes.reserve(bytes.size() + static_cast<std::size_t>(expected));
    std::uint8_t buffer[65536];
    while (count > 0) {
        const ssize_t n = ::read(fd_.Get(), buffer,
                                 static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof buffer)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EFOpenError(path_);
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        offset_ += static_cast<std::uint64_t>(n);
        count -= static_cast<std::uint64_t>(n);
    }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TInputFile file(path);
    std::vector<std::uint8_t> bytes;
    file.ReadInto(bytes, std::numeric_limits<std::uint64_t>::max());
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces) {
    TOutputFile file(path);
    for (std::string_view piece : pieces)
        file.Stream().write(piece.data(), static_cast<std::streamsize>(piece.size()));
    file.CommitReplacing(path);
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
