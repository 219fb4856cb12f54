#pragma once
// The project file (".mvn"): a saved batch with its output folder and the
// four conversion switches. Binary, little-endian, no padding:
//
//   21 bytes  "Tarvold Metrovane 1.0" (the magic, no length, no terminator)
//   int32     N, the number of entries
//   N x       counted string: one input path
//   counted   the output folder text, possibly empty
//   4 bytes   R14, ParseWhite, Use01MM, AlternativeBlack (0 / 1; any
//             non-zero value reads as set)
//
// A counted string is an int32 byte length followed by the bytes. Strings
// are stored as the platform's byte strings unchanged (UTF-8 paths on
// Linux); nothing is converted on writing or reading.

#include "app/BatchRun.h"
#include "platform/Errors.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

inline constexpr std::string_view kProjectMagic = "Tarvold Metrovane 1.0";

struct TProject {
    std::vector<std::string> Entries; // full input paths, in batch order
    std::string OutputFolder;         // as typed; empty = the program folder
    // The four switches; PenWidthRatio is not stored and reads as "-1.0".
    TBatchOptions Options;
};

// Errors of the project file that the window reports in a message box of
// its own; the texts are the system's own.
class EProjectFileError : public TmvError {
public:
    using TmvError::TmvError;
};
// "MVN Projekt Datei speichern: Konnte die folgende Datei nicht erstellen: <name> !"
class EProjectCreateError : public EProjectFileError {
public:
    explicit EProjectCreateError(const std::string& path);
};
// "MVN Projekt Datei öffnen: Konnte folgende Datei nicht öffnen: <name> !"
class EProjectOpenError : public EProjectFileError {
public:
    explicit EProjectOpenError(const std::string& path);
};
// "Dies ist keine gültige MVN Projekt Datei": wrong magic or an impossible
// (negative) string length.
class EProjectInvalid : public EProjectFileError {
public:
    EProjectInvalid();
};
// A file that ends before all announced parts are read raises EInOutError
// with msg::ReadPastEnd ("Versuch hinter dem Dateiende zu lesen"); so does a
// string length beyond the end of the file.

// Appends a counted string. A text longer than an int32 can count raises
// ERangeError.
void WriteCountedString(std::string& out, std::string_view text);

// Reads little-endian values and counted strings from bytes in memory; never
// reads or allocates beyond them.
class TProjectReader {
public:
    explicit TProjectReader(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    std::string_view ReadBytes(std::size_t count);
    std::int32_t ReadInt32();
    std::uint8_t ReadByte();
    std::string ReadCountedString();

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The complete file contents of a project.
std::string EncodeProject(const TProject& project);

// Parses file contents. Entries with no folder part (a bare file name) get
// projectFolder put in front; entries with a folder part, absolute or
// relative, stay as stored. Bytes after the switches are ignored.
TProject DecodeProject(std::string_view bytes, const std::string& projectFolder);

// The folder of a project file as the bare-name rule uses it: the folder part
// of path, ending in '/', or empty when path has none.
std::string ProjectFolderOf(const std::string& path);

// Creates or truncates the file and writes the project. Raises
// EProjectCreateError when the file cannot be created and EInOutError when a
// write fails (the part already written stays).
void WriteProjectFile(const std::string& path, const TProject& project);

// Reads a whole project, all or nothing. Raises EProjectOpenError,
// EProjectInvalid or EInOutError (see above); the file is closed on every path.
TProject ReadProjectFile(const std::string& path);

} // namespace mv
