#pragma once
// File-system services: whole-file reading and writing, existence tests and
// folder creation. Paths are the platform's byte strings ('/' separated).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// An open file descriptor, closed with the object.
class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes now; the result of close (0 when nothing was open).
    int Close();
    // Closes what is open and takes fd.
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }

private:
    int fd_;
};

// A regular file read from its start in pieces, so that a caller can look at
// the first bytes before it decides how much more to read.
class TInputFile {
public:
    // Raises EFOpenError with the name when the file cannot be opened or is
    // not a regular file (a folder or a pipe, say).
    explicit TInputFile(const std::string& path);
    // The size when the file was opened.
    std::uint64_t Size() const { return size_; }
    // Appends the next `count` bytes to `bytes`, fewer only at the end of the
    // file. Raises EFOpenError when reading fails.
    void ReadInto(std::vector<std::uint8_t>& bytes, std::uint64_t count);

private:
    std::string path_;
    TFd fd_;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
};

// Reads the whole file. Raises EFOpenError with the name when the file cannot
// be opened or is not a regular file (a folder, say).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Writes the pieces in order as the file's new contents, replacing the file
// (or a link of that name) in one step when it is complete: a failure leaves
// the old file as it was. Raises EFCreateError when the file cannot be
// created and EInOutError with the reason when a write fails.
void WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Creates the folder with every missing parent. One trailing '/' is ignored;
// a path that already exists counts as created. Returns false on failure,
// with errno telling why.
bool ForceDirectories(const std::string& path);

// File name part: everything after the last '/'.
std::string ExtractFileName(const std::string& path);
// Folder part up to and including the last '/' (empty when there is none).
std::string ExtractFilePath(const std::string& path);

} // namespace mv
