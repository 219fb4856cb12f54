#pragma once
// File-system services: whole-file reading and writing, existence tests and
// folder creation. Paths are the platform's byte strings ('/' separated).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// Reads the whole file. Raises EFOpenError with the name when the file cannot
// be opened or is not a regular file (a folder, say).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Creates or truncates the file and writes the pieces in order. Raises
// EFCreateError when the file cannot be created and EInOutError when a write
// fails (the part already written stays).
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
