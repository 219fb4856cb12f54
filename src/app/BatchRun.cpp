#include "app/BatchRun.h"

#include "dxf/DXFExport.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace mv {

namespace {

// Any directory entry counts, not only regular files: a folder or a dangling
// link of the candidate's name must not be written over or through either.
bool EntryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string OutputBaseName(const std::string& inputPath) {
    std::string name = ExtractFileName(inputPath);
    std::string::size_type dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string FreeOutputName(const std::string& folder, const std::string& base,
                           const std::set<std::string>& reserved) {
    auto taken = [&reserved](const std::string& path) { return reserved.count(path) || EntryExists(path); };
    std::string candidate = folder + base + ".dxf";
    for (unsigned long long counter = 0; taken(candidate); ++counter)
        candidate = folder + base + std::to_string(counter) + ".dxf";
    return candidate;
}

bool TryParsePenRatio(std::string_view text, long double& value) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // from_chars takes no '+' and would take "inf" and "nan": neither is a
    // number a user types into this field.
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty() || !(digits.front() == '.' || (digits.front() >= '0' && digits.front() <= '9')))
        return false;
    if (text.front() == '+') text.remove_prefix(1);
    long double parsed = 0.0L;
    // from_chars always reads '.' as the decimal separator, whatever the locale.
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

long double ParsePenRatio(std::string_view text) {
    long double value = -1.0L;
    if (!TryParsePenRatio(text, value)) value = -1.0L;
    return value;
}

void SetPenRatio(TmvDXFExport& exporter, const std::string& text) {
    exporter.SetPenWidthRatio(ParsePenRatio(text));
}

void ConfigureExporter(TmvDXFExport& exporter, const TBatchOptions& options) {
    exporter.SetParseWhite(options.ParseWhite);
    exporter.SetAutoCADVersion(options.R14 ? 0 : 1);
    exporter.SetAlternativeBlack(options.AlternativeBlack);
    exporter.SetUse01MM(options.Use01MM);
    SetPenRatio(exporter, options.PenWidthRatio);
}

void ConvertFile(const std::string& inputPath, const std::string& outputPath, const TBatchOptions& options) {
    auto exporter = std::make_unique<TmvDXFExport>();
    ConfigureExporter(*exporter, options);
    exporter->LoadFromFile(inputPath);
    exporter->SaveToFile(outputPath);
}

namespace {

// The shared state of one run. Files are handed out in list order under the
// lock, and the announcing line and the output name are made at hand-out, so
// both follow the list whatever order the conversions finish in.
class TRunState {
public:
    TRunState(const TBatchRunner& runner, const std::vector<std::string>& files, std::string folder)
        : runner_(runner), files_(files), folder_(std::move(folder)) {}

    void Work() {
        try {
            std::size_t index = 0;
            std::string output;
            while (Take(index, output)) {
                std::exception_ptr error;
                try {
                    ConvertFile(files_[index], output, runner_.Options);
                } catch (...) {
                    error = std::current_exception();
                }
                Finish(index, error);
            }
        } catch (...) {
            // A sink that raised: stop handing out files and pass it on.
            std::lock_guard lock(mutex_);
            stop_ = true;
            if (!fatal_) fatal_ = std::current_exception();
        }
    }

    // The error that ends the run, if any: a sink's own error first, else the
    // failed file earliest in the list.
    std::exception_ptr Error() const { return fatal_ ? fatal_ : firstError_; }
    std::int32_t Converted() const { return converted_; }
    std::int32_t Failed() const { return failed_; }

private:
    bool Take(std::size_t& index, std::string& output) {
        std::lock_guard lock(mutex_);
        if (stop_ || next_ >= files_.size()) return false;
        index = next_++;
        const std::string& path = files_[index];
        if (runner_.OnMessage) runner_.OnMessage("Konvertiere " + path + "...");
        output = FreeOutputName(folder_, OutputBaseName(path), reserved_);
        reserved_.insert(output);
        return true;
    }

    void Finish(std::size_t index, const std::exception_ptr& error) {
        std::lock_guard lock(mutex_);
        if (!error) {
            ++converted_;
        } else {
            if (runner_.OnFailure) runner_.OnFailure(files_[index], ErrorMessage(error));
            if (!runner_.KeepGoing) {
                stop_ = true;
                if (!firstError_ || index < firstErrorIndex_) {
                    firstError_ = error;
                    firstErrorIndex_ = index;
                }
                return;
            }
            ++failed_;
        }
        ++done_;
        if (runner_.OnProgress)
            runner_.OnProgress(static_cast<int>(static_cast<long long>(done_) * 100 /
                                                static_cast<long long>(files_.size())));
    }

    const TBatchRunner& runner_;
    const std::vector<std::string>& files_;
    const std::string folder_;
    std::mutex mutex_;
    std::size_t next_ = 0;
    bool stop_ = false;
    std::set<std::string> reserved_;
    std::int32_t converted_ = 0;
    std::int32_t failed_ = 0;
    std::int32_t done_ = 0;
    std::exception_ptr firstError_;
    std::size_t firstErrorIndex_ = 0;
    std::exception_ptr fatal_;
};

} // namespace

TBatchResult TBatchRunner::Run(const std::vector<std::string>& files) {
    TBatchResult result;
    std::string folder = OutputFolder.empty() ? ProgramFolder : OutputFolder;
    if (folder.empty() || !ForceDirectories(folder)) {
        result.Outcome = TBatchOutcome::OutputFolderFailed;
        return result;
    }
    if (folder.back() != '/') folder += '/';
    result.OutputFolder = folder;

    TRunState state(*this, files, folder);
    const std::size_t workers =
        std::min<std::size_t>(std::max(Jobs, 1u), std::max<std::size_t>(files.size(), 1));
    if (workers == 1) {
        state.Work();
    } else {
        std::vector<std::jthread> threads;
        threads.reserve(workers);
        for (std::size_t i = 0; i < workers; ++i)
            threads.emplace_back([&state] { state.Work(); });
        threads.clear(); // joins
    }
    if (std::exception_ptr error = state.Error()) std::rethrow_exception(error);

    result.Converted = state.Converted();
    result.Failed = state.Failed();
    if (OnMessage) OnMessage(std::to_string(result.Converted) + " Dateien konvertiert...");
    return result;
}

} // namespace mv
