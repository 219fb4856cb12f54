#pragma once
// Small helpers shared by the test programs.

#include <filesystem>
#include <string>
#include <vector>

namespace mv::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
std::string ReadText(const std::string& path);
// Splits a DXF text at CR LF (the last line end included).
std::vector<std::string> SplitCrLf(const std::string& text);
// Runs a shell command; returns its exit status and collects its output.
int RunCommand(const std::string& command, std::string* output = nullptr);
// Opens the DXF files with the independent reader and audits them; 0 when
// every file loads and its audit reports no error.
int RunEzdxfAudit(const std::vector<std::string>& files, std::string* output = nullptr);

} // namespace mv::test
