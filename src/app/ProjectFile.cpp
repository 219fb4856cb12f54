#include "app/ProjectFile.h"

#include "metafile/LittleEndian.h"
#include "platform/FileAccess.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <span>
#include <sys/stat.h>

namespace mv {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void WriteInt32(std::string& out, std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

} // namespace

EProjectCreateError::EProjectCreateError(const std::string& path)
    : EProjectFileError("MVN Projekt Datei speichern: Konnte die folgende Datei nicht erstellen: " +
                        ExtractFileName(path) + " !") {}

EProjectOpenError::EProjectOpenError(const std::string& path)
    : EProjectFileError(
          "MVN Projekt Datei öffnen: Konnte folgende Datei nicht öffnen: " + ExtractFileName(path) + " !") {}

EProjectInvalid::EProjectInvalid() : EProjectFileError("Dies ist keine gültige MVN Projekt Datei") {}

void WriteCountedString(std::string& out, std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) throw ERangeError();
    WriteInt32(out, static_cast<std::int32_t>(text.size()));
    out.append(text);
}

std::string_view TProjectReader::ReadBytes(std::size_t count) {
    if (count > Remaining()) throw EInOutError(msg::ReadPastEnd);
    std::string_view part = bytes_.substr(pos_, count);
    pos_ += count;
    return part;
}

std::int32_t TProjectReader::ReadInt32() {
    const std::string_view b = ReadBytes(4);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    return static_cast<std::int32_t>(LE32(bytes, 0));
}

std::uint8_t TProjectReader::ReadByte() {
    return static_cast<std::uint8_t>(ReadBytes(1)[0]);
}

std::string TProjectReader::ReadCountedString() {
    std::int32_t length = ReadInt32();
    // A negative length cannot come from the writer: the file is damaged.
    if (length < 0) throw EProjectInvalid();
    // ReadBytes checks the length against the rest of the file before any
    // string is made, so a damaged length cannot make a huge allocation.
    return std::string(ReadBytes(static_cast<std::size_t>(length)));
}

std::string EncodeProject(const TProject& project) {
    if (project.Entries.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw ERangeError();
    std::string out(kProjectMagic);
    WriteInt32(out, static_cast<std::int32_t>(project.Entries.size()));
    for (const std::string& entry : project.Entries)
        WriteCountedString(out, entry);
    WriteCountedString(out, project.OutputFolder);
    out.push_back(project.Options.R14 ? 1 : 0);
    out.push_back(project.Options.ParseWhite ? 1 : 0);
    out.push_back(project.Options.Use01MM ? 1 : 0);
    out.push_back(project.Options.AlternativeBlack ? 1 : 0);
    return out;
}

std::string ProjectFolderOf(const std::string& path) {
    std::string folder = ExtractFilePath(path);
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    return folder;
}

TProject DecodeProject(std::string_view bytes, const std::string& projectFolder) {
    TProjectReader reader(bytes);
    // The magic is compared byte for byte, letter case counting; a file too
    // short to hold it is no project file either.
    if (reader.Remaining() < kProjectMagic.size() || reader.ReadBytes(kProjectMagic.size()) != kProjectMagic)
        throw EProjectInvalid();
    TProject project;
    std::int32_t count = reader.ReadInt32();
    // A negative count means no entries. No room is reserved from the count:
    // each entry is read (and checked) before it is kept.
    for (std::int32_t i = 0; i < count; ++i) {
        std::string entry = reader.ReadCountedString();
        // A bare file name lies beside the project file.
        if (!entry.empty() && ExtractFilePath(entry).empty()) entry = projectFolder + entry;
        project.Entries.push_back(std::move(entry));
    }
    project.OutputFolder = reader.ReadCountedString();
    project.Options.R14 = reader.ReadByte() != 0;
    project.Options.ParseWhite = reader.ReadByte() != 0;
    project.Options.Use01MM = reader.ReadByte() != 0;
    project.Options.AlternativeBlack = reader.ReadByte() != 0;
    return project;
}

void WriteProjectFile(const std::string& path, const TProject& project) {
    std::string bytes = EncodeProject(project);
    try {
        WriteWholeFile(path, {bytes});
    } catch (const EFCreateError&) {
        throw EProjectCreateError(path);
    }
}

TProject ReadProjectFile(const std::string& path) {
    FilePtr file(path.empty() ? nullptr : std::fopen(path.c_str(), "rb"));
    struct stat st {};
    // A folder opens on Linux but is no file to read a project from.
    if (!file || ::fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)) throw EProjectOpenError(path);

    std::string bytes(kProjectMagic.size(), '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    // Only a file that starts like a project is read further, so that opening
    // some large file by mistake does not read all of it.
    if (bytes == kProjectMagic) {
        char buffer[65536];
        for (;;) {
            std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
            bytes.append(buffer, n);
            if (n < sizeof buffer) break;
        }
    }
    if (std::ferror(file.get())) throw EInOutError("Fehler beim Lesen der Datei " + path);
    return DecodeProject(bytes, ProjectFolderOf(path));
}

} // namespace mv
