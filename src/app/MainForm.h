#pragma once
// The main window as a model: its state and every action the user can take,
// without any windowing system. A view shows the state, forwards user input
// to the actions and the setters, and repaints when told of a change.

#include "app/BatchRun.h"
#include "app/DynaArray.h"
#include "app/FavouriteFolders.h"
#include "app/ProjectFile.h"
#include "figure/Rect.h"
#include "platform/Dialogs.h"
#include "platform/FileBrowser.h"
#include "platform/Settings.h"
#include "platform/Shell.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mv {

// The two parts of the progress panel: navy up to the percentage, the button
// face colour after it.
struct TProgressPanelPaint {
    TRect Navy;
    TRect ButtonFace;
};

// What SetProStatus asks the view to paint.
enum class TProgressRepaint {
    None,     // nothing yet
    WholeBar, // the percentage went down: repaint the whole status bar
    NavyPart, // paint ProgressRepaintRect in navy
};

// Parts of the model that an action changed; the view registers for them.
enum TFormChange : unsigned {
    fcCaption = 1u << 0,
    fcBatchList = 1u << 1,    // entries, visible list, selection, remove button
    fcSwitches = 1u << 2,     // the four switches and the pen width ratio text
    fcOutputFolder = 1u << 3, // DirectoryEdit1
    fcMemo = 1u << 4,
    fcFavourites = 1u << 5,
    fcBrowser = 1u << 6, // the folder tree or the file list moved
    fcPage = 1u << 7,
    fcProgress = 1u << 8,
    fcPlacement = 1u << 9,
    fcAboutBox = 1u << 10, // show the about box now (modally)
    fcClosed = 1u << 11,   // the window is to close now
};

// Virtual key codes the batch list's key handler knows.
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_DELETE = 46;

// The services the window uses; they must outlive the model.
struct TMainFormServices {
    IShell& Shell;
    IDialogs& Dialogs;
    IFolderTree& FolderTree;
    IFileList& FileList;
    ISettingsStore& Settings;
};

class TMainForm {
public:
    // Creating the window runs FormCreate.
    explicit TMainForm(const TMainFormServices& services);
    // Runs FormDestroy unless that has been done; the change handler is not
    // called from here on.
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Called after every action with the parts it changed, and during a batch
    // run after every message line and progress step.
    using TChangeHandler = std::function<void(unsigned changes)>;
    void SetOnChange(TChangeHandler handler) { onChange_ = std::move(handler); }

    // ---- Actions. Errors that escape one reach the general error report. ----

    // Start-up and shut-down.
    void FormCreate();
    void FormShow(); // first show: restores placement and output folder
    bool FormCloseQuery() { return true; }
    void FormClose(); // writes the settings
    void FormDestroy();
    // Closes the window (QuitBtnClick, Esc, the close box): asks
    // FormCloseQuery, writes the settings and tells the view with fcClosed.
    // Closing again does nothing. False when closing was refused.
    bool Close();

    // The batch list.
    void AddBtnClick();
    void DelBtnClick();
    void DelallPics();
    void UpdateListBox();
    void ImageListDblClick();
    void ConvertBtnClick();
    void GoBtn1Click();

    // The project.
    void NewBtnClick();
    void OpenBtnClick();
    void SaveBtnClick();
    void SaveAsBtnClick();
    void SaveFile(const std::string& path);
    void OpenFile(const std::string& path);
    void Setsavedfilename(const std::string& path);

    // The file browser and the lists.
    void ShellList1DblClick();
    // True when the key was used (Enter while no label is being edited).
    bool ShellList1KeyPress(char key);
    void ImageListKeyDown(int virtualKey);
    void PrefListBoxDblClick();
    void PrefListBoxKeyPress(char key);
    // The button of DirectoryEdit1: picks the output folder in a dialog.
    void DirectoryEdit1ButtonClick();

    // Progress panel. SetProStatus is what the message WM_USER does.
    void SetProStatus(std::int32_t percent);
    // The view paints its owner-drawn panel R with these parts; R is
    // remembered as the progress rectangle.
    TProgressPanelPaint StatusBar1DrawPanel(const TRect& panel);

    void wwwBtnClick();
    void AboutBtnClick();
    void QuitBtnClick();

    // The application's general error report: a message box with the error's
    // text (a period added when its last character sorts after '.'), the
    // error icon and the application title as caption.
    void HandleException(const std::exception_ptr& error);
    static std::string ErrorReportText(const std::string& message);

    // ---- Input from the view that is no action of its own. ----
    void SetActivePage(int page);
    void SetOutputFolderText(const std::string& text);
    void SetAutoCADVer(bool checked);
    void SetParseWhite(bool checked);
    void SetUse01MM(bool checked);
    void SetAlternativeBlack(bool checked);
    void SetPenWidthRatioText(const std::string& text);
    void SetMemoLines(std::vector<std::string> lines);
    void SetImageListSelected(int index, bool selected);
    void SetImageListItemIndex(int index);
    void SetPrefListItemIndex(int index);
    // The view reports the window's placement whenever it moves or changes size.
    void SetPlacement(const TFormPlacement& placement);

    // ---- State. ----
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& Caption() const { return caption_; }
    const std::string& ProjectPath() const { return projectPath_; }
    const TDynaArray<std::string>& Batch() const { return batch_; }
    std::vector<std::string> BatchEntries() const;
    // The batch list's cursor variable.
    std::string* BatchCursor() const { return batchCursor_; }
    const std::vector<std::string>& ImageListItems() const { return imageListItems_; }
    const std::vector<bool>& ImageListSelection() const { return imageListSelected_; }
    int ImageListItemIndex() const { return imageListItemIndex_; }
    bool DelBtnEnabled() const { return batch_.ItemCount() > 0; }
    const std::string& OutputFolderText() const { return outputFolderText_; }
    // The four switches and the pen width ratio text.
    const TBatchOptions& Options() const { return options_; }
    const std::vector<std::string>& MemoLines() const { return memo_; }
    const std::vector<std::string>& PrefListItems() const { return favourites_.Items(); }
    int PrefListItemIndex() const { return prefItemIndex_; }
    int ActivePage() const { return activePage_; }
    std::int32_t ProgressPercentage() const { return percentage_; }
    const TRect& ProgressRect() const { return progressRect_; }
    TProgressRepaint ProgressRepaintKind() const { return repaint_; }
    const TRect& ProgressRepaintRect() const { return repaintRect_; }
    // Nothing until restored from the settings or reported by the view.
    const std::optional<TFormPlacement>& Placement() const { return placement_; }
    bool Closed() const { return closed_; }

private:
    template <typename F> void Action(F&& body);
    void SetSwitch(bool TBatchOptions::*field, bool checked);
    void Changed(unsigned changes) { pending_ |= changes; }
    void Notify();
    void StoreProStatus(std::int32_t percent);
    void WriteSettings();
    TProject CurrentProject() const;
    TFileDialogOptions ProjectDialogOptions() const;
    void ShowError(const std::string& text);

    TMainFormServices services_;
    TChangeHandler onChange_;
    unsigned pending_ = 0;
    int depth_ = 0;

    std::string programFolder_;
    std::string* batchCursor_ = nullptr;
    TDynaArray<std::string> batch_{&batchCursor_};
    std::string projectPath_;
    std::string caption_;
    std::string outputFolderText_;
    TBatchOptions options_;
    std::vector<std::string> memo_;
    TFavouriteFolders favourites_;
    int prefItemIndex_ = -1;
    std::vector<std::string> imageListItems_;
    std::vector<bool> imageListSelected_;
    int imageListItemIndex_ = -1;
    int activePage_ = 0;
    std::int32_t percentage_ = 0;
    TRect progressRect_;
    TProgressRepaint repaint_ = TProgressRepaint::None;
    TRect repaintRect_;
    std::optional<TFormPlacement> placement_;
    bool shown_ = false;
    bool settingsWritten_ = false;
    bool closed_ = false;
    bool destroyed_ = false;
};

} // namespace mv
