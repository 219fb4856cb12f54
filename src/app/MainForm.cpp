#include "app/MainForm.h"

#include "app/MainFormTexts.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <algorithm>

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
    std::string text = message;
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
        Setsavedfilename("");
        // An unknown program folder has no folders.dat to read or write.
        favourites_.Load(programFolder_.empty() ? std::string() : programFolder_ + ui::FavouritesFileName);
        prefItemIndex_ = -1;
        outputFolderText_ = services_.Shell.DocumentsFolder();
        batch_.ClearItems();
        UpdateListBox();
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
        if (auto text = services_.Settings.ReadValue(kMainFormSection, kOutputFolderKey)) {
            outputFolderText_ = *text;
            Changed(fcOutputFolder);
        }
    });
}

void TMainForm::WriteSettings() {
    settingsWritten_ = true;
    if (placement_) WriteFormPlacement(services_.Settings, kMainFormSection, *placement_);
    services_.Settings.WriteValue(kMainFormSection, kOutputFolderKey, Trim(outputFolderText_));
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
        for (const std::string& name : services_.FileList.SelectedFileNames()) {
            std::string folder = WithTrailingSlash(services_.FolderTree.SelectedFolder());
            favourites_.AddToPrefFolders(folder);
            *batch_.AppendItem() = folder + name;
            Changed(fcFavourites);
        }
        UpdateListBox();
    });
}

void TMainForm::DelBtnClick() {
    Action([this] {
        // Backwards, so that the indices still to be looked at stay valid.
        for (int i = static_cast<int>(imageListSelected_.size()) - 1; i >= 0; --i) {
            if (!imageListSelected_[static_cast<std::size_t>(i)]) continue;
            if (static_cast<std::uint32_t>(i) >= batch_.ItemCount()) continue;
            batch_.SeekItem(i)->clear();
            batch_.DeleteItem(i);
        }
        UpdateListBox();
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
        std::vector<std::string> files;
        files.reserve(batch_.ItemCount());
        batch_.FirstItem();
        while (batch_.NextItem())
            files.push_back(*batchCursor_);

        TBatchRunner runner;
        runner.Options = options_;
        runner.OutputFolder = outputFolderText_;
        runner.ProgramFolder = programFolder_;
        // The window is blocked while the run goes on: every line and every
        // progress step is handed to the view at once.
        runner.OnMessage = [this](const std::string& line) {
            memo_.push_back(line);
            Changed(fcMemo);
            Notify();
        };
        // Progress takes the way of the WM_USER message.
        runner.OnProgress = [this](int percent) {
            SetProStatus(percent);
            Notify();
        };
        // Every run starts with an empty bar.
        SetProStatus(0);
        Notify();
        TBatchResult result = runner.Run(files);
        if (result.Outcome == TBatchOutcome::OutputFolderFailed) ShowError(msg::OutputFolderFailed);
    });
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
    options.InitialDir = programFolder_;
    return options;
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
    });
}

void TMainForm::OpenFile(const std::string& path) {
    Action([this, &path] {
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
    });
}

void TMainForm::NewBtnClick() {
    Action([this] {
        if (services_.Dialogs.MessageBox(ui::DiscardQuestion, ui::NewCaption, TMsgIcon::Information,
                                         TMsgButtons::OKCancel) != TMsgResult::OK)
            return;
        DelallPics();
        UpdateListBox();
        Setsavedfilename("");
        options_.R14 = false;
        options_.ParseWhite = false;
        options_.Use01MM = true;
        options_.AlternativeBlack = false;
        Changed(fcSwitches);
    });
}

void TMainForm::OpenBtnClick() {
    Action([this] {
        if (services_.Dialogs.MessageBox(ui::DiscardQuestion, ui::OpenCaption, TMsgIcon::Information,
                                         TMsgButtons::OKCancel) != TMsgResult::OK)
            return;
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
