#include "app/BatchRun.h"

#include "dxf/DXFExport.h"
#include "image/ImageSet.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
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

// An entry that an overwrite must not replace: anything but a regular file.
bool EntryOtherThanFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

} // namespace

std::string OutputBaseName(const std::string& inputPath) {
    std::string name = ExtractFileName(inputPath);
    std::string::size_type dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string TOutputNames::Take(const std::string& base) {
    auto taken = [this](const std::string& path) {
        return handedOut_.count(path) || (replaceFiles_ ? EntryOtherThanFile(path) : EntryExists(path));
    };
    auto [next, first] = nextNumber_.try_emplace(base, 0);
    std::string candidate = folder_ + base + ".dxf";
    if (!first || taken(candidate)) {
        for (;;) {
            candidate = folder_ + base + std::to_string(next->second++) + ".dxf";
            if (!taken(candidate)) break;
        }
    }
    handedOut_.insert(candidate);
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
    exporter.SetClassic(options.Classic);
    TInterpretSettings settings = exporter.InterpretSettings();
    settings.Images = WritesImages(options);
    exporter.SetInterpretSettings(settings);
    SetPenRatio(exporter, options.PenWidthRatio);
}

std::vector<std::string> CommitDrawing(TmvDXFExport& exporter, std::unique_ptr<TOutputFile>& file,
                                       TImageSet* images, std::string& outputPath,
                                       const std::function<std::string()>& retake) {
    std::vector<std::string> lines;
    const bool withImages = images && images->Count() > 0;
    if (withImages) {
        TImageCommit commit = images->Commit();
        lines = std::move(commit.Lines);
        if (commit.NamesChanged) {
            try {
                auto again = std::make_unique<TOutputFile>(outputPath);
                exporter.RewriteToStream(again->Stream());
                again->Stream().flush();
                file = std::move(again);
            } catch (...) {
                images->RemoveCommitted();
                throw;
            }
        }
    }
    try {
        if (!retake) {
            file->CommitReplacing(outputPath);
        } else {
            // Another run into the same folder may have taken the name
            // meanwhile: then the next free one.
            while (!file->CommitNew(outputPath))
                outputPath = retake();
        }
    } catch (...) {
        if (withImages) images->RemoveCommitted();
        throw;
    }
    return lines;
}

void ConvertWith(const std::string& inputPath, const TBatchOptions& options,
                 const std::function<void(TmvDXFExport&)>& save,
                 const std::function<void(TmvDXFExport&, const std::string&)>& load, TImageSet* images,
                 const TMessageSink& warn) {
    try {
        auto exporter = std::make_unique<TmvDXFExport>();
        ConfigureExporter(*exporter, options);
        exporter->SetImageSet(images);
        if (warn) {
            TInterpretSettings settings = exporter->InterpretSettings();
            settings.OnWarning = warn;
            exporter->SetInterpretSettings(settings);
        }
        if (load)
            load(*exporter, inputPath);
        else
            exporter->LoadFromFile(inputPath);
        save(*exporter);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(inputPath);
    } catch (const std::length_error&) {
        // A size beyond what a container can hold is the same lack of memory.
        throw EOutOfMemory(inputPath);
    }
}

void ConvertFile(const std::string& inputPath, const std::string& outputPath, const TBatchOptions& options) {
    std::unique_ptr<TImageSet> images;
    if (WritesImages(options)) images = std::make_unique<TImageSet>(outputPath);
    ConvertWith(
        inputPath, options,
        [&](TmvDXFExport& exporter) {
            auto file = std::make_unique<TOutputFile>(outputPath);
            exporter.SaveToStream(file->Stream());
            file->Stream().flush();
            std::string path = outputPath;
            CommitDrawing(exporter, file, images.get(), path,
                          [&]() -> std::string { throw EFCreateError(outputPath); });
        },
        {}, images.get());
}

namespace {

// The shared state of one run. Files are handed out in list order under the
// lock, and the announcing line and the output name are made at hand-out, so
// both follow the list whatever order the conversions finish in.
class TRunState {
public:
    TRunState(const TBatchRunner& runner, const std::vector<std::string>& files, std::string folder)
        : runner_(runner), files_(files), names_(std::move(folder), runner.Overwrite) {}

    void Work() {
        try {
            std::size_t index = 0;
            std::string output;
            while (Take(index, output)) {
                std::exception_ptr error;
                bool withdrawn = false;
                std::vector<std::string> warnings, imageLines;
                try {
                    // Images are written beside the file, so not with SaveOutput.
                    std::unique_ptr<TImageSet> images;
                    if (!runner_.SaveOutput && WritesImages(runner_.Options))
                        images = std::make_unique<TImageSet>(output);
                    ConvertWith(
                        files_[index], runner_.Options,
                        [&](TmvDXFExport& exporter) {
                            warnings = exporter.Warnings();
                            if (runner_.SaveOutput) {
                                runner_.SaveOutput(exporter);
                                return;
                            }
                            // The file is opened only after loading succeeded, and
                            // takes its name only when it is complete.
                            auto file = std::make_unique<TOutputFile>(output);
                            exporter.SaveToStream(file->Stream());
                            file->Stream().flush();
                            // A run cancelled meanwhile leaves this file unnamed: the
                            // temporary file goes with `file`, the images with theirs.
                            if (runner_.Cancelled && runner_.Cancelled()) {
                                withdrawn = true;
                                return;
                            }
                            std::function<std::string()> retake;
                            if (!runner_.Overwrite) retake = [&] { return Retake(index); };
                            imageLines = CommitDrawing(exporter, file, images.get(), output, retake);
                        },
                        runner_.LoadInput, images.get(),
                        [&](const std::string& message) { Warn(index, message); });
                } catch (...) {
                    error = std::current_exception();
                }
                Finish(index, withdrawn, error, warnings, imageLines);
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
    bool Cancelled() const { return cancelled_; }

private:
    bool Take(std::size_t& index, std::string& output) {
        std::lock_guard lock(mutex_);
        if (stop_ || next_ >= files_.size()) return false;
        if (runner_.Cancelled && runner_.Cancelled()) {
            stop_ = cancelled_ = true;
            return false;
        }
        index = next_++;
        const std::string& path = files_[index];
        output = runner_.SaveOutput ? runner_.SaveOutputName : names_.Take(OutputBaseName(path));
        if (runner_.OnMessage)
            runner_.OnMessage("Konvertiere " + path + (runner_.ShowOutputName ? " -> " + output : "..."));
        return true;
    }

    void Warn(std::size_t index, const std::string& message) {
        std::lock_guard lock(mutex_);
        if (runner_.OnMessage) runner_.OnMessage("Warnung: " + files_[index] + ": " + message);
    }

    std::string Retake(std::size_t index) {
        std::lock_guard lock(mutex_);
        return names_.Take(OutputBaseName(files_[index]));
    }

    void Finish(std::size_t index, bool withdrawn, const std::exception_ptr& error,
                const std::vector<std::string>& warnings, const std::vector<std::string>& imageLines) {
        std::lock_guard lock(mutex_);
        if (withdrawn) {
            stop_ = cancelled_ = true;
            return;
        }
        if (!error) {
            for (const std::string& warning : warnings) {
                if (runner_.OnWarning)
                    runner_.OnWarning(files_[index], warning);
                else if (runner_.OnMessage)
                    runner_.OnMessage("Warnung: " + files_[index] + ": " + warning);
            }
            if (runner_.ShowImageFiles && runner_.OnMessage)
                for (const std::string& line : imageLines)
                    runner_.OnMessage("Bild: " + line);
            ++converted_;
        } else {
            const std::string message = ErrorMessage(error);
            if (runner_.OnFailure) runner_.OnFailure(files_[index], message);
            if (!runner_.KeepGoing && runner_.SkipFailure) {
                // The caller decides: skip the file, or end the run here.
                if (!runner_.SkipFailure(files_[index], message)) {
                    ++failed_;
                    stop_ = cancelled_ = true;
                    return;
                }
            } else if (!runner_.KeepGoing) {
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
    std::mutex mutex_;
    TOutputNames names_;
    std::size_t next_ = 0;
    bool stop_ = false;
    bool cancelled_ = false;
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
    if (SaveOutput) {
        folder.clear(); // no file is written there
    } else if (folder.empty() || !ForceDirectories(folder)) {
        result.FolderError = folder.empty() ? 0 : errno;
        result.Outcome = TBatchOutcome::OutputFolderFailed;
        return result;
    } else if (folder.back() != '/') {
        folder += '/';
    }
    result.OutputFolder = folder;
    // An interrupted run leaves no temporary file behind.
    RemoveTempFilesOnSignals();

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
    result.Cancelled = state.Cancelled();
    // A script that goes on after failures gets one fixed form with the count of
    // failures; the window adds the count only when something failed.
    std::string count = std::to_string(result.Converted) + " Dateien konvertiert";
    if (KeepGoing) {
        count += ", " + std::to_string(result.Failed) + " fehlgeschlagen";
    } else {
        if (CountFailed && result.Failed > 0)
            count += ", " + std::to_string(result.Failed) + " fehlgeschlagen";
        count += "...";
    }
    if (OnMessage) OnMessage(count);
    return result;
}

} // namespace mv
