#pragma once
// The batch run: every metafile of a batch becomes one DXF file in the output
// folder, one after the other in list order, reported line by line.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace mv {

class TmvDXFExport;
class TImageSet;
class TOutputFile;

// The conversion switches of a batch, as the window's controls or the
// command line give them.
struct TBatchOptions {
    bool R14 = false;                   // cbAutoCADVer: DXF R14 instead of R2000
    bool ParseWhite = false;            // cbParseWhite
    bool Use01MM = true;                // cbUse01MM
    bool AlternativeBlack = false;      // cbAlternativeBlack
    std::string PenWidthRatio = "-1.0"; // edtPenWidthRatio text
    // cbClassic: the reduced interpretation of earlier versions. A setting of
    // the window and the command line, not of the project file.
    bool Classic = false;
    // cbImages: bitmaps become image files beside the DXF (never in classic).
    // Like Classic, not kept in the project file.
    bool Images = true;
};

// Receives the run's message lines (the window's message pane, stdout).
using TMessageSink = std::function<void(const std::string& line)>;
// Receives the progress in percent after each file.
using TProgressSink = std::function<void(int percent)>;
// Receives a file whose conversion failed, with the error's text.
using TFailureSink = std::function<void(const std::string& path, const std::string& message)>;

namespace msg {
inline constexpr const char* OutputFolderFailed = "Konnte den Ausgabeordner nicht erzeugen!";
} // namespace msg

enum class TBatchOutcome {
    Finished,           // the list was worked through (with KeepGoing maybe with failures)
    OutputFolderFailed, // nothing converted: show msg::OutputFolderFailed
};

struct TBatchResult {
    TBatchOutcome Outcome = TBatchOutcome::Finished;
    std::int32_t Converted = 0;
    std::int32_t Failed = 0;  // only with KeepGoing or SkipFailure; otherwise the first error is raised
    std::string OutputFolder; // resolved, ends in '/'; empty with SaveOutput
    bool Cancelled = false;   // ended early by Cancelled or by a failure that was not skipped
    int FolderError = 0;      // with OutputFolderFailed: the system's error number, 0 if unknown
};

// Drives the exporter over a batch. The window's run is the default setting:
// serial, stopping at the first error, which is raised to the caller after
// that file's exporter has been freed (files converted before it stay, no
// count line). Jobs > 1 converts files in parallel; the output names and the
// message lines stay those of a serial run, because names are decided and
// lines written in list order as files are handed out. The sinks are never
// called from two threads at once.
class TBatchRunner {
public:
    TBatchOptions Options;
    std::string OutputFolder;  // the folder text as typed, not trimmed; empty = ProgramFolder
    std::string ProgramFolder; // the program's own folder, ending in '/'
    unsigned Jobs = 1;
    bool KeepGoing = false;      // report a failed file and go on instead of stopping;
                                 // the count line then also counts the failures
    bool ShowOutputName = false; // announce "Konvertiere P -> OUT" instead of "Konvertiere P..."
    // Replace a regular file that has the output's name instead of numbering;
    // see TOutputNames. The old file stays until the new one is complete.
    bool Overwrite = false;

    // Stands in for reading an input's file (standard input, say): loads the
    // input of that path into the exporter. Unset: the file at the path.
    std::function<void(TmvDXFExport& exporter, const std::string& path)> LoadInput;
    // Stands in for the files of the output folder (standard output, say):
    // takes each converted drawing, from the worker threads. The output
    // folder is then neither made nor used, and SaveOutputName names the
    // output in the announcing lines.
    std::function<void(TmvDXFExport& exporter)> SaveOutput;
    std::string SaveOutputName;

    // Name every image file written beside a drawing in a message line.
    bool ShowImageFiles = false;

    TMessageSink OnMessage;
    // A file converted with something left out (a bitmap that cannot be
    // read, say): the file and the warning. Unset: a message line.
    TFailureSink OnWarning;
    TProgressSink OnProgress; // once after each file: percent = done * 100 / total
    TFailureSink OnFailure;   // every failed file, before the run stops or goes on

    // Asked before a file is started and after each conversion; true ends
    // the run: no further file is started, and the output of a file that
    // finished after the request is removed again, so that a cancelled run
    // leaves behind only the files it counts.
    std::function<bool()> Cancelled;
    // Without KeepGoing: asked for every failed file, after OnFailure. True
    // goes on with the next file; false ends the run as a cancel does,
    // without raising the error. Unset: the first error is raised.
    std::function<bool(const std::string& path, const std::string& message)> SkipFailure;
    // The count line also names the failed files, when there are any:
    // "2 Dateien konvertiert, 1 fehlgeschlagen...".
    bool CountFailed = false;

    TBatchResult Run(const std::vector<std::string>& files);
};

// The output base name of an input: the file name part without its
// extension (from the last '.'); a name without a dot stays whole.
std::string OutputBaseName(const std::string& inputPath);

// Hands out the output names of one run: folder + base + ".dxf" if free,
// else base0.dxf, base1.dxf, ... (the first free one). Free means that no
// directory entry of that name exists and that the name was not handed out
// before in this run. With replaceFiles an existing regular file counts as
// free too (it is to be replaced), but still no folder, link or other entry,
// and no name handed out before: two inputs of one run never share an output.
// Names only ever become taken during a run, so the numbering of a base name
// goes on where it stopped instead of testing the same names again.
class TOutputNames {
public:
    explicit TOutputNames(std::string folder, bool replaceFiles = false)
        : folder_(std::move(folder)), replaceFiles_(replaceFiles) {}
    std::string Take(const std::string& base);

private:
    std::string folder_;
    bool replaceFiles_;
    std::unordered_set<std::string> handedOut_;
    std::unordered_map<std::string, std::uint64_t> nextNumber_; // no entry: base.dxf not tried yet
};

// The pen width ratio text as a number, independent of the process locale
// ('.' as decimal separator, blanks around allowed). False for anything else.
bool TryParsePenRatio(std::string_view text, long double& value);
// As above, with -1.0 for a text that is no valid number.
long double ParsePenRatio(std::string_view text);
void SetPenRatio(TmvDXFExport& exporter, const std::string& text);

// Sets the exporter's options from the switches, in the order the exporter
// expects them (all before loading).
void ConfigureExporter(TmvDXFExport& exporter, const TBatchOptions& options);

// One file: a new exporter, configured and loaded, handed to `save`, and
// freed (also when an error passes). Running out of memory anywhere in it
// raises EOutOfMemory with the input's name. `load` stands in for reading
// the file at inputPath when it is set; `warn` hears what the drawing leaves
// out of the picture.
void ConvertWith(const std::string& inputPath, const TBatchOptions& options,
                 const std::function<void(TmvDXFExport&)>& save,
                 const std::function<void(TmvDXFExport&, const std::string&)>& load = {},
                 TImageSet* images = nullptr, const TMessageSink& warn = {});

// Whether a conversion with these switches writes image files.
inline bool WritesImages(const TBatchOptions& options) {
    return options.Images && !options.Classic;
}

// The DXF in `file` (written and flushed) and its images, committed in the
// order that keeps them together: the images first, the DXF written anew
// if an image had to take another name, then the DXF under outputPath, or
// the next name `retake` gives while it is taken (no retake: replace).
// Should the DXF fail, the images it names are removed again. Returns the
// lines naming the image files.
std::vector<std::string> CommitDrawing(TmvDXFExport& exporter, std::unique_ptr<TOutputFile>& file,
                                       TImageSet* images, std::string& outputPath,
                                       const std::function<std::string()>& retake);

// One file into a new file at outputPath, which appears only complete and
// only if no entry of that name exists (EFCreateError otherwise).
void ConvertFile(const std::string& inputPath, const std::string& outputPath, const TBatchOptions& options);

} // namespace mv
