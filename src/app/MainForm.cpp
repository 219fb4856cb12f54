#include "app/MainForm.h"

#include "app/BatchInputs.h"
#include "app/MainFormTexts.h"
#include "platform/CodePage.h"
#include "platform/DisplayText.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace mv {

namespace {

// The folder tree reports folders without a trailing '/'; it is given them
// in the same form.
std::string TreeFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

// Settings keys of the window's layout and of the project dialogs' folder.
constexpr const char* kBrowserSplitterKey = "BrowserSplitter";
constexpr const char* kPageSplitterKey = "PageSplitter";
constexpr const char* kListColumnsKey = "ShellList1_Columns";
constexpr const char* kProjectFolderKey = "ProjectFolder";
// The classic switch is the window's setting, not the project's.
constexpr const char* kClassicKey = "cbClassic_Checked";
constexpr const char* kImagesKey = "cbImages_Checked";

// How many adds and removes Ctrl+Z can take back.
constexpr std::size_t kUndoDepth = 100;

std::string SizesText(const std::vector<int>& sizes) {
    std::string text;
    for (int size : sizes) {
        if (!text.empty()) text.push_back(',');
        text.append(std::to_string(size));
    }
    return text;
}

// "241,220,160"; anything else, or sizes no screen has, gives nothing.
std::vector<int> ParseSizes(const std::optional<std::string>& text) {
    std::vector<int> sizes;
    if (!text || text->empty()) return sizes;
    const char* p = text->data();
    const char* end = p + text->size();
    while (p < end) {
        int size = 0;
        auto [next, ec] = std::from_chars(p, end, size);
        if (ec != std::errc() || size < 0 || size > 100000 || sizes.size() >= 16) return {};
        sizes.push_back(size);
        if (next < end && *next != ',') return {};
        p = next < end ? next + 1 : next;
    }
    return sizes;
}

// Why a file cannot be read, in the system's words; empty when it can.
std::string ReadProblem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); // a FIFO must not block
    if (fd < 0) return SystemErrorText(errno);
    struct stat st {};
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    return folder ? SystemErrorText(EISDIR) : std::string();
}

// Entries as the batch keeps them: full paths.
std::string FullPath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

bool SameProject(const TProject& a, const TProject& b) {
    return a.Entries == b.Entries && a.OutputFolder == b.OutputFolder && a.Options.R14 == b.Options.R14 &&
           a.Options.ParseWhite == b.Options.ParseWhite && a.Options.Use01MM == b.Options.Use01MM &&
           a.Options.AlternativeBlack == b.Options.AlternativeBlack;
}

} // namespace

TMainForm::TMainForm(const TMainFormServices& services) : services_(services) {
    FormCreate();
}

TMainForm::~TMainForm() {
    // The view may be going away with the model: it hears nothing more.
    onChange_ = nullptr;
    if (!destroyed_) FormDestroy();
}

// Runs an action. An error that escapes the outermost action goes to the
// general error report; inside a nested action it passes on, so that it
// ends the outer action too. The view hears of the changes once, at the end.
template <typename F> void TMainForm::Action(F&& body) {
    ++depth_;
    try {
        body();
    } catch (...) {
        if (--depth_ > 0) throw;
        HandleException(std::current_exception());
        Notify();
        return;
    }
    if (--depth_ == 0) Notify();
}

void TMainForm::Notify() {
    unsigned changes = pending_;
    pending_ = 0;
    if (changes != 0 && onChange_) onChange_(changes);
}

std::string TMainForm::ErrorReportText(const std::string& message) {
    std::string text = ShowControlChars(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
    return text;
}

void TMainForm::HandleException(const std::exception_ptr& error) {
    const std::string message = ErrorMessage(error);
    try {
        services_.Dialogs.MessageBox(ErrorReportText(message), ui::ApplicationTitle, TMsgIcon::Error,
                                     TMsgButtons::OK);
    } catch (...) {
        // Nothing is left to report a failing report to.
    }
}

// The front end's own failures: the error icon and no caption of its own.
void TMainForm::ShowError(const std::string& text) {
    services_.Dialogs.MessageBox(text, "", TMsgIcon::Error, TMsgButtons::OK);
}

// ---- Start-up and shut-down ----

void TMainForm::FormCreate() {
    Action([this] {
        programFolder_ = services_.Shell.ProgramFolder();
        if (!programFolder_.empty()) programFolder_ = WithTrailingSlash(programFolder_);
        programFolderWritable_ = !programFolder_.empty() && services_.Shell.CanWriteTo(programFolder_);
        Setsavedfilename("");
        // The favourites stay next to the program while they can be written
        // there. Otherwise they are kept among the user's data, and read
        // from the program folder until the user has a copy of his own.
        const std::string beside = programFolder_.empty() ? "" : programFolder_ + ui::FavouritesFileName;
        std::string own = services_.Shell.UserDataFolder();
        if (!own.empty()) own = WithTrailingSlash(own) + ui::FavouritesFileName;
        if (programFolderWritable_ || own.empty())
            favourites_.Load(beside);
        else
            favourites_.Load(FileExists(own) ? own : beside, own);
        prefItemIndex_ = -1;
        documentsFolder_ = services_.Shell.DocumentsFolder();
        outputFolderText_ = documentsFolder_;
        batch_.ClearItems();
        UpdateListBox();
        undo_.clear();
        MarkSaved();
        Changed(fcCaption | fcFavourites | fcOutputFolder | fcSwitches | fcMemo | fcPage | fcProgress);
        // Last, so that a program folder the tree cannot show spoils nothing
        // else of the start.
        services_.FolderTree.SetSelectedFolder(TreeFolder(programFolder_));
        Changed(fcBrowser);
    });
}

void TMainForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    Action([this] {
        if (auto placement = ReadFormPlacement(services_.Settings, kMainFormSection)) {
            placement_ = placement;
            Changed(fcPlacement);
        }
        const bool modified = Modified();
        if (auto text = services_.Settings.ReadValue(kMainFormSection, kOutputFolderKey)) {
            outputFolderText_ = *text;
            Changed(fcOutputFolder);
        }
        // The remembered folder is where the batch starts, not a change.
        if (!modified) MarkSaved();
        layout_.BrowserSplitter =
            ParseSizes(services_.Settings.ReadValue(kMainFormSection, kBrowserSplitterKey));
        layout_.PageSplitter = ParseSizes(services_.Settings.ReadValue(kMainFormSection, kPageSplitterKey));
        layout_.ListColumns = ParseSizes(services_.Settings.ReadValue(kMainFormSection, kListColumnsKey));
        Changed(fcLayout);
        if (auto folder = services_.Settings.ReadValue(kMainFormSection, kProjectFolderKey))
            lastProjectFolder_ = *folder;
        if (auto classic = services_.Settings.ReadValue(kMainFormSection, kClassicKey)) {
            options_.Classic = Trim(*classic) == "1";
            Changed(fcSwitches);
        }
        if (auto images = services_.Settings.ReadValue(kMainFormSection, kImagesKey)) {
            options_.Images = Trim(*images) != "0";
            Changed(fcSwitches);
        }
    });
}

void TMainForm::WriteSettings() {
    settingsWritten_ = true;
    if (placement_) WriteFormPlacement(services_.Settings, kMainFormSection, *placement_);
    services_.Settings.WriteValue(kMainFormSection, kOutputFolderKey, Trim(outputFolderText_));
    const std::pair<const char*, const std::vector<int>*> sizes[] = {
        {kBrowserSplitterKey, &layout_.BrowserSplitter},
        {kPageSplitterKey, &layout_.PageSplitter},
        {kListColumnsKey, &layout_.ListColumns}};
    for (const auto& [key, values] : sizes) {
        if (!values->empty()) services_.Settings.WriteValue(kMainFormSection, key, SizesText(*values));
    }
    if (!lastProjectFolder_.empty())
        services_.Settings.WriteValue(kMainFormSection, kProjectFolderKey, lastProjectFolder_);
    services_.Settings.WriteValue(kMainFormSection, kClassicKey, options_.Classic ? "1" : "0");
    services_.Settings.WriteValue(kMainFormSection, kImagesKey, options_.Images ? "1" : "0");
}

bool TMainForm::FormCloseQuery() {
    if (running_) {
        // The run ends first, then the window closes.
        closeAfterRun_ = true;
        CancelRun();
        return false;
    }
    return ConfirmDiscard(ui::QuitBtnCaption);
}

void TMainForm::FormClose() {
    Action([this] { WriteSettings(); });
}

bool TMainForm::Close() {
    if (closed_) return true;
    if (!FormCloseQuery()) return false;
    FormClose();
    closed_ = true;
    Changed(fcClosed);
    if (depth_ == 0) Notify();
    return true;
}

void TMainForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    Action([this] {
        DelallPics();
        if (!settingsWritten_) WriteSettings();
    });
}

// ---- The batch list ----

void TMainForm::AddBtnClick() {
    Action([this] {
        if (running_) return;
        const std::string folder = WithTrailingSlash(services_.FolderTree.SelectedFolder());
        std::vector<std::string> paths;
        const std::vector<std::string> names = services_.FileList.SelectedFileNames();
        if (names.empty()) {
            // No file chosen: the folder shown stands for its metafiles.
            paths = MetafilesInFolder(folder);
            if (!paths.empty()) favourites_.AddToPrefFolders(folder);
        }
        for (const std::string& name : names) {
            favourites_.AddToPrefFolders(folder);
            paths.push_back(folder + name);
        }
        if (!paths.empty()) Changed(fcFavourites);
        AddPaths(paths);
    });
}

void TMainForm::AddPaths(const std::vector<std::string>& paths) {
    // A path already in the batch is not added again; its entry is selected
    // with the new ones.
    std::unordered_map<std::string, std::size_t> index;
    for (std::uint32_t i = 0; i < batch_.ItemCount(); ++i)
        index.emplace(batch_[i], i);
    std::vector<std::size_t> concerned;
    bool saved = false;
    for (const std::string& path : paths) {
        auto [it, added] = index.emplace(path, batch_.ItemCount());
        if (added) {
            if (!saved) PushUndo();
            saved = true;
            *batch_.AppendItem() = path;
        }
        concerned.push_back(it->second);
    }
    if (concerned.empty()) return;
    UpdateListBox();
    SelectOnly(concerned);
}

void TMainForm::SelectOnly(const std::vector<std::size_t>& indices) {
    imageListSelected_.assign(imageListItems_.size(), false);
    for (std::size_t i : indices) {
        if (i < imageListSelected_.size()) imageListSelected_[i] = true;
    }
    imageListItemIndex_ =
        indices.empty() || indices.front() >= imageListItems_.size() ? -1 : static_cast<int>(indices.front());
    Changed(fcBatchList);
}

void TMainForm::DelBtnClick() {
    Action([this] {
        if (running_) return;
        const std::uint32_t count = batch_.ItemCount();
        int last = -1, removed = 0;
        for (std::size_t i = 0; i < imageListSelected_.size() && i < count; ++i) {
            if (imageListSelected_[i]) last = static_cast<int>(i);
        }
        if (last >= 0) PushUndo();
        // Backwards, so that the indices still to be looked at stay valid.
        for (int i = last; i >= 0; --i) {
            if (!imageListSelected_[static_cast<std::size_t>(i)]) continue;
            batch_.SeekItem(i)->clear();
            batch_.DeleteItem(i);
            ++removed;
        }
        UpdateListBox();
        // The entry that followed the last removed one (or the new last
        // entry) takes over the selection.
        if (removed > 0 && batch_.ItemCount() > 0)
            SelectOnly({std::min<std::size_t>(static_cast<std::size_t>(last + 1 - removed),
                                              batch_.ItemCount() - 1)});
    });
}

void TMainForm::PushUndo() {
    undo_.push_back({BatchEntries(), imageListSelected_, imageListItemIndex_});
    if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
}

void TMainForm::SetBatch(const std::vector<std::string>& entries) {
    DelallPics();
    for (const std::string& entry : entries)
        *batch_.AppendItem() = entry;
}

void TMainForm::UndoBatch() {
    Action([this] {
        if (running_ || undo_.empty()) return;
        TBatchState state = std::move(undo_.back());
        undo_.pop_back();
        SetBatch(state.Entries);
        UpdateListBox();
        state.Selected.resize(imageListItems_.size(), false);
        imageListSelected_ = std::move(state.Selected);
        imageListItemIndex_ =
            state.ItemIndex >= 0 && static_cast<std::size_t>(state.ItemIndex) < imageListItems_.size()
                ? state.ItemIndex
                : -1;
        Changed(fcBatchList);
    });
}

void TMainForm::DropFiles(const std::vector<std::string>& paths) {
    Action([this, &paths] {
        if (running_) return;
        for (const std::string& path : paths) {
            if (IsProjectFileName(path) && !DirectoryExists(path)) {
                if (ConfirmDiscard(ui::OpenCaption)) OpenFile(FullPath(path));
                return;
            }
        }
        std::vector<std::string> files;
        for (const std::string& given : paths) {
            const std::string path = FullPath(given);
            if (DirectoryExists(path)) {
                const std::vector<std::string> found = MetafilesInFolder(path);
                files.insert(files.end(), found.begin(), found.end());
            } else if (IsMetafileName(path)) {
                files.push_back(path);
            }
        }
        // The favourites learn the folders the files come from; a run of
        // files from one folder rewrites folders.dat once.
        std::string previous;
        for (const std::string& file : files) {
            const std::string folder = ExtractFilePath(file);
            if (folder == previous) continue;
            favourites_.AddToPrefFolders(folder);
            previous = folder;
            Changed(fcFavourites);
        }
        AddPaths(files);
    });
}

void TMainForm::DelallPics() {
    Action([this] {
        batch_.FirstItem();
        while (batch_.NextItem())
            batchCursor_->clear();
        batch_.ClearItems();
        Changed(fcBatchList);
    });
}

void TMainForm::UpdateListBox() {
    Action([this] {
        // By index, not with the cursor: refreshing the view leaves the cursor
        // where it was.
        imageListItems_.clear();
        for (std::uint32_t i = 0; i < batch_.ItemCount(); ++i)
            imageListItems_.push_back(ExtractFileName(batch_[i]));
        imageListSelected_.assign(imageListItems_.size(), false);
        if (!imageListItems_.empty()) imageListSelected_[0] = true;
        imageListItemIndex_ = imageListItems_.empty() ? -1 : 0;
        Changed(fcBatchList);
    });
}

void TMainForm::ImageListDblClick() {
    Action([this] {
        if (imageListItemIndex_ >= 0 && static_cast<std::uint32_t>(imageListItemIndex_) < batch_.ItemCount())
            batch_.SeekItem(imageListItemIndex_);
    });
}

void TMainForm::ConvertBtnClick() {
    Action([this] {
        activePage_ = 1;
        Changed(fcPage);
    });
}

void TMainForm::GoBtn1Click() {
    Action([this] {
        if (running_) return;
        std::vector<std::string> files;
        files.reserve(batch_.ItemCount());
        batch_.FirstItem();
        while (batch_.NextItem())
            files.push_back(*batchCursor_);

        TBatchRunner runner;
        runner.Options = options_;
        runner.OutputFolder = outputFolderText_;
        runner.ProgramFolder = DefaultOutputFolder();
        runner.CountFailed = true;
        runner.ShowImageFiles = true;
        // The sinks are called where the conversions run; the model is
        // touched only on the window's thread, and every line and progress
        // step is shown at once.
        runner.OnMessage = [this](const std::string& line) { InWindow([&] { AppendMemo(line); }); };
        // Progress takes the way of the WM_USER message.
        runner.OnProgress = [this, &files](int percent) {
            InWindow([&] {
                ++runDone_;
                statusText_ =
                    runDone_ < runTotal_ ? files[static_cast<std::size_t>(runDone_)] : std::string();
                Changed(fcStatus);
                SetProStatus(percent);
                Notify();
            });
        };
        runner.OnFailure = [this](const std::string& path, const std::string& message) {
            InWindow([&] { AppendMemo(path + ": " + message); });
        };
        runner.SkipFailure = [this](const std::string& path, const std::string& message) {
            bool skip = false;
            InWindow([&] { skip = AskSkip(path, message); });
            return skip;
        };
        runner.Cancelled = [this] {
            if (!cancelRequested_) return false;
            InWindow([this] {
                if (!cancelReported_) AppendMemo(ui::RunCancelled);
                cancelReported_ = true;
            });
            return true;
        };

        running_ = true;
        cancelRequested_ = false;
        cancelReported_ = false;
        runTotal_ = static_cast<std::int32_t>(files.size());
        runDone_ = 0;
        statusText_ = files.empty() ? std::string() : files.front();
        Changed(fcRun | fcStatus);
        // Every run starts with an empty bar.
        SetProStatus(0);
        Notify();

        TBatchResult result;
        std::exception_ptr error;
        auto work = [&] {
            try {
                result = runner.Run(files);
            } catch (...) {
                error = std::current_exception();
            }
        };
        if (runHost_)
            runHost_->Run(work);
        else
            work();

        running_ = false;
        statusText_ =
            !error && result.Outcome == TBatchOutcome::Finished && !memo_.empty() ? memo_.back() : "";
        Changed(fcRun | fcStatus);
        if (error) {
            HandleException(error);
        } else if (result.Outcome == TBatchOutcome::OutputFolderFailed) {
            // The folder and the system's reason on a second line.
            std::string text = msg::OutputFolderFailed;
            const std::string folder = outputFolderText_.empty() ? DefaultOutputFolder() : outputFolderText_;
            if (!folder.empty()) text += "\n" + folder;
            if (!folder.empty() && result.FolderError != 0)
                text += ": " + SystemErrorText(result.FolderError);
            ShowError(text);
        }
        if (closeAfterRun_) {
            closeAfterRun_ = false;
            Close();
        }
    });
}

void TMainForm::InWindow(const std::function<void()>& fn) {
    if (runHost_)
        runHost_->Call(fn);
    else
        fn();
}

void TMainForm::AppendMemo(const std::string& line) {
    memo_.push_back(ShowControlChars(line));
    Changed(fcMemo);
    Notify();
}

// A failed file: the error's text, and on a second line the file with the
// system's reason when it cannot be read. True when the user skips it.
bool TMainForm::AskSkip(const std::string& path, const std::string& message) {
    std::string detail = path;
    if (const std::string reason = ReadProblem(path); !reason.empty()) detail += ": " + reason;
    return services_.Dialogs.MessageBox(ErrorReportText(message) + "\n" + detail, ui::ApplicationTitle,
                                        TMsgIcon::Error, TMsgButtons::SkipCancel) == TMsgResult::Skip;
}

void TMainForm::CancelRun() {
    Action([this] {
        if (!running_ || cancelRequested_) return;
        cancelRequested_ = true;
        statusText_ = ui::RunCancelling;
        Changed(fcRun | fcStatus);
    });
}

std::string TMainForm::ProgressText() const {
    if (runTotal_ <= 0) return {};
    // During a run the file in hand, afterwards the files dealt with.
    const std::int32_t file = running_ ? std::min(runDone_ + 1, runTotal_) : runDone_;
    return "Datei " + std::to_string(file) + " von " + std::to_string(runTotal_);
}

std::string TMainForm::DefaultOutputFolder() const {
    if (programFolderWritable_ || documentsFolder_.empty()) return programFolder_;
    return WithTrailingSlash(documentsFolder_);
}

// ---- The project ----

void TMainForm::Setsavedfilename(const std::string& path) {
    Action([this, &path] {
        projectPath_ = path;
        caption_ = std::string(ui::CaptionTitle) + " - [" +
                   (path.empty() ? ui::NoName : ExtractFileName(path)) + "]";
        Changed(fcCaption);
    });
}

TProject TMainForm::CurrentProject() const {
    TProject project;
    project.Entries = BatchEntries();
    project.OutputFolder = outputFolderText_;
    project.Options = options_;
    return project;
}

TFileDialogOptions TMainForm::ProjectDialogOptions() const {
    TFileDialogOptions options;
    options.Filter = ui::ProjectFilter;
    options.DefaultExt = ui::ProjectDefaultExt;
    // The folder of the last project, else the documents: the program's own
    // folder is no place for the user's projects.
    options.InitialDir = programFolder_;
    for (const std::string& folder : {lastProjectFolder_, documentsFolder_}) {
        if (DirectoryExists(folder)) {
            options.InitialDir = folder;
            break;
        }
    }
    return options;
}

bool TMainForm::Modified() const {
    return !SameProject(CurrentProject(), savedProject_);
}

void TMainForm::MarkSaved() {
    savedProject_ = CurrentProject();
}

void TMainForm::RememberProjectFolder(const std::string& path) {
    if (const std::string folder = ExtractFilePath(path); !folder.empty()) lastProjectFolder_ = folder;
}

// Before a changed batch would be lost: "Ja" saves it (and goes on only
// when it was saved), "Nein" goes on, "Abbrechen" stays. True to go on.
bool TMainForm::ConfirmDiscard(const char* caption) {
    if (!Modified()) return true;
    const std::string text = std::string(ui::SaveChangesQuestion) + "\n" + ui::DiscardQuestion;
    switch (services_.Dialogs.MessageBox(text, caption, TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
    case TMsgResult::Yes:
        SaveBtnClick();
        return !Modified();
    case TMsgResult::No:
        return true;
    default:
        return false;
    }
}

void TMainForm::SaveFile(const std::string& path) {
    Action([this, &path] {
        try {
            WriteProjectFile(path, CurrentProject());
        } catch (const EProjectFileError& e) {
            ShowError(e.what());
            return;
        }
        Setsavedfilename(path);
        MarkSaved();
        RememberProjectFolder(path);
    });
}

void TMainForm::OpenFile(const std::string& path) {
    Action([this, &path] {
        if (running_) return;
        // The whole file is read before anything of the window changes: a file
        // that cannot be read completely leaves the previous batch, output
        // folder, switches and caption as they were.
        TProject project;
        try {
            project = ReadProjectFile(path);
        } catch (const EProjectFileError& e) {
            ShowError(e.what());
            return;
        }
        DelallPics();
        for (std::string& entry : project.Entries)
            *batch_.AppendItem() = std::move(entry);
        outputFolderText_ = project.OutputFolder;
        options_.R14 = project.Options.R14;
        options_.ParseWhite = project.Options.ParseWhite;
        options_.Use01MM = project.Options.Use01MM;
        options_.AlternativeBlack = project.Options.AlternativeBlack;
        Changed(fcOutputFolder | fcSwitches);
        Setsavedfilename(path);
        UpdateListBox();
        undo_.clear();
        MarkSaved();
        RememberProjectFolder(path);
    });
}

void TMainForm::NewBtnClick() {
    Action([this] {
        if (running_ || !ConfirmDiscard(ui::NewCaption)) return;
        DelallPics();
        UpdateListBox();
        Setsavedfilename("");
        options_.R14 = false;
        options_.ParseWhite = false;
        options_.Use01MM = true;
        options_.AlternativeBlack = false;
        Changed(fcSwitches);
        undo_.clear();
        MarkSaved();
    });
}

void TMainForm::OpenBtnClick() {
    Action([this] {
        if (running_ || !ConfirmDiscard(ui::OpenCaption)) return;
        if (auto path = services_.Dialogs.OpenFileDialog(ProjectDialogOptions())) OpenFile(*path);
    });
}

void TMainForm::SaveBtnClick() {
    Action([this] {
        if (!projectPath_.empty())
            SaveFile(projectPath_);
        else
            SaveAsBtnClick();
    });
}

void TMainForm::SaveAsBtnClick() {
    Action([this] {
        if (auto path = services_.Dialogs.SaveFileDialog(ProjectDialogOptions())) SaveFile(*path);
    });
}

// ---- The file browser and the lists ----

void TMainForm::ShellList1DblClick() {
    Action([this] {
        if (services_.FileList.SelectedCount() <= 0) return;
        if (services_.FileList.SelectedIsFolder()) {
            services_.FileList.OpenSelectedFolder();
            Changed(fcBrowser);
        } else {
            AddBtnClick();
        }
    });
}

bool TMainForm::ShellList1KeyPress(char key) {
    // Enter while a name is being edited ends the editing, nothing else.
    if (key != '\r' || services_.FileList.IsEditingLabel()) return false;
    ShellList1DblClick();
    return true;
}

void TMainForm::ImageListKeyDown(int virtualKey) {
    if (virtualKey == VK_RETURN)
        ImageListDblClick();
    else if (virtualKey == VK_DELETE)
        DelBtnClick();
}

void TMainForm::PrefListBoxDblClick() {
    Action([this] {
        const auto& items = favourites_.Items();
        if (prefItemIndex_ < 0 || static_cast<std::size_t>(prefItemIndex_) >= items.size()) return;
        services_.FolderTree.SetSelectedFolder(TreeFolder(items[static_cast<std::size_t>(prefItemIndex_)]));
        Changed(fcBrowser);
    });
}

void TMainForm::PrefListBoxKeyPress(char key) {
    if (key == '\r') PrefListBoxDblClick();
}

void TMainForm::DirectoryEdit1ButtonClick() {
    Action([this] {
        if (auto folder = services_.Dialogs.FolderDialog(ui::OutputFolderDialogTitle, outputFolderText_)) {
            outputFolderText_ = *folder;
            Changed(fcOutputFolder);
        }
    });
}

// ---- Progress panel ----

void TMainForm::StoreProStatus(std::int32_t percent) {
    // Outside 0..100 the bar would be painted beyond its panel.
    percent = std::clamp(percent, 0, 100);
    if (percent < percentage_) {
        percentage_ = percent;
        repaint_ = TProgressRepaint::WholeBar;
    } else {
        percentage_ = percent;
        const TRect& r = progressRect_;
        std::int64_t width = static_cast<std::int64_t>(r.Right) - r.Left;
        repaintRect_ = {r.Left, r.Top, static_cast<std::int32_t>(r.Left + width * percent / 100), r.Bottom};
        repaint_ = TProgressRepaint::NavyPart;
    }
    Changed(fcProgress);
}

void TMainForm::SetProStatus(std::int32_t percent) {
    Action([this, percent] { StoreProStatus(percent); });
}

TProgressPanelPaint TMainForm::StatusBar1DrawPanel(const TRect& panel) {
    std::int64_t width = static_cast<std::int64_t>(panel.Right) - panel.Left;
    auto x = static_cast<std::int32_t>(panel.Left + width * percentage_ / 100);
    progressRect_ = panel;
    return {{panel.Left, panel.Top, x, panel.Bottom}, {x, panel.Top, panel.Right, panel.Bottom}};
}

// ---- Bottom row ----

void TMainForm::wwwBtnClick() {
    try {
        services_.Shell.OpenWebAddress(ui::WebAddress);
    } catch (...) {
        // A failure to open the address is reported nowhere.
    }
}

void TMainForm::AboutBtnClick() {
    Action([this] { Changed(fcAboutBox); });
}

void TMainForm::QuitBtnClick() {
    Close();
}

void TMainForm::EscapeKey() {
    if (running_)
        CancelRun();
    else
        QuitBtnClick();
}

// ---- Input from the view ----

void TMainForm::SetActivePage(int page) {
    Action([this, page] {
        activePage_ = page == 1 ? 1 : 0;
        Changed(fcPage);
    });
}

void TMainForm::SetOutputFolderText(const std::string& text) {
    Action([this, &text] {
        outputFolderText_ = text;
        Changed(fcOutputFolder);
    });
}

void TMainForm::SetSwitch(bool TBatchOptions::*field, bool checked) {
    Action([this, field, checked] {
        options_.*field = checked;
        Changed(fcSwitches);
    });
}

void TMainForm::SetAutoCADVer(bool checked) {
    SetSwitch(&TBatchOptions::R14, checked);
}
void TMainForm::SetParseWhite(bool checked) {
    SetSwitch(&TBatchOptions::ParseWhite, checked);
}
void TMainForm::SetUse01MM(bool checked) {
    SetSwitch(&TBatchOptions::Use01MM, checked);
}
void TMainForm::SetAlternativeBlack(bool checked) {
    SetSwitch(&TBatchOptions::AlternativeBlack, checked);
}
void TMainForm::SetClassic(bool checked) {
    SetSwitch(&TBatchOptions::Classic, checked);
}
void TMainForm::SetImages(bool checked) {
    SetSwitch(&TBatchOptions::Images, checked);
}

void TMainForm::SetPenWidthRatioText(const std::string& text) {
    Action([this, &text] {
        options_.PenWidthRatio = text;
        Changed(fcSwitches);
    });
}

void TMainForm::SetMemoLines(std::vector<std::string> lines) {
    Action([this, &lines] {
        memo_ = std::move(lines);
        Changed(fcMemo);
    });
}

void TMainForm::SetImageListSelected(int index, bool selected) {
    Action([this, index, selected] {
        if (index < 0 || static_cast<std::size_t>(index) >= imageListSelected_.size()) return;
        imageListSelected_[static_cast<std::size_t>(index)] = selected;
        Changed(fcBatchList);
    });
}

void TMainForm::SetImageListItemIndex(int index) {
    Action([this, index] {
        imageListItemIndex_ =
            index >= 0 && static_cast<std::size_t>(index) < imageListItems_.size() ? index : -1;
        Changed(fcBatchList);
    });
}

void TMainForm::SetPrefListItemIndex(int index) {
    Action([this, index] {
        prefItemIndex_ =
            index >= 0 && static_cast<std::size_t>(index) < favourites_.Items().size() ? index : -1;
        Changed(fcFavourites);
    });
}

void TMainForm::SetLayout(const TWindowLayout& layout) {
    // The view's own report: nothing to show anew.
    layout_ = layout;
}

void TMainForm::SetPlacement(const TFormPlacement& placement) {
    Action([this, &placement] {
        placement_ = placement;
        Changed(fcPlacement);
    });
}

std::vector<std::string> TMainForm::BatchEntries() const {
    std::vector<std::string> entries;
    entries.reserve(batch_.ItemCount());
    for (std::uint32_t i = 0; i < batch_.ItemCount(); ++i)
        entries.push_back(batch_[i]);
    return entries;
}

} // namespace mv
