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

#include <atomic>
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
    fcRun = 1u << 12,      // a run started, ended or is being cancelled
    fcStatus = 1u << 13,   // the status bar's texts
    fcLayout = 1u << 14,   // splitter positions and column widths restored
};

// Where a batch run's conversions are carried out. The model's own way runs
// them in place; the window runs them on a worker thread and keeps its
// event loop going meanwhile, so that it repaints and takes "Abbrechen".
class IRunHost {
public:
    virtual ~IRunHost() = default;
    // Runs work and returns when it has ended.
    virtual void Run(const std::function<void()>& work) = 0;
    // Called from inside work: runs fn on the thread of the window and
    // returns when it has, passing on what it raised.
    virtual void Call(const std::function<void()>& fn) = 0;
};

// Sizes the view lets the user change, kept across program runs: each a
// list of pixel sizes, empty when nothing is known.
struct TWindowLayout {
    std::vector<int> BrowserSplitter; // folder tree, file list, preview
    std::vector<int> PageSplitter;    // browser, batch list
    std::vector<int> ListColumns;     // the file list's columns
    bool operator==(const TWindowLayout&) const = default;
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
    // Null runs the conversions in place. The host must outlive the model.
    void SetRunHost(IRunHost* host) { runHost_ = host; }

    // ---- Actions. Errors that escape one reach the general error report. ----

    // Start-up and shut-down.
    void FormCreate();
    void FormShow(); // first show: restores placement, output folder and layout
    // Whether the window may close: asks to save a changed batch. During a
    // run it cancels the run and refuses; the window closes when the run
    // has ended.
    bool FormCloseQuery();
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
    // "Abbrechen" or Esc during a run: no further file is started, and the
    // file in hand is not left behind.
    void CancelRun();
    // Files and folders dropped on the window or named on the command line:
    // a project file is opened (after asking to save a changed batch);
    // otherwise metafiles are added, a folder standing for its metafiles
    // sorted by name. Other files are passed over.
    void DropFiles(const std::vector<std::string>& paths);
    // Ctrl+Z: takes back the last add or remove of batch entries.
    void UndoBatch();

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
    // Esc: cancels a run, and quits otherwise.
    void EscapeKey();

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
    void SetClassic(bool checked);
    void SetImages(bool checked);
    void SetPenWidthRatioText(const std::string& text);
    void SetMemoLines(std::vector<std::string> lines);
    void SetImageListSelected(int index, bool selected);
    void SetImageListItemIndex(int index);
    void SetPrefListItemIndex(int index);
    // The view reports the window's placement whenever it moves or changes size.
    void SetPlacement(const TFormPlacement& placement);
    // The view reports splitter positions and column widths as they change.
    void SetLayout(const TWindowLayout& layout);

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
    const TWindowLayout& Layout() const { return layout_; }
    bool Closed() const { return closed_; }
    // The batch (entries, output folder, switches) differs from what was
    // last opened or saved (or, before that, from the start).
    bool Modified() const;
    bool CanUndo() const { return !undo_.empty(); }
    bool Running() const { return running_; }
    bool CancelRequested() const { return cancelRequested_; }
    // The status bar's text panel: the file being converted, and after a
    // run its count line.
    const std::string& StatusText() const { return statusText_; }
    // The progress panel's text, "Datei 12 von 800"; empty before a run.
    std::string ProgressText() const;
    // Where DXF files go when the output folder text is empty: the program
    // folder, or the documents folder when the program folder is not
    // writable.
    std::string DefaultOutputFolder() const;

private:
    struct TBatchState {
        std::vector<std::string> Entries;
        std::vector<bool> Selected;
        int ItemIndex = -1;
    };

    template <typename F> void Action(F&& body);
    void InWindow(const std::function<void()>& fn);
    void AppendMemo(const std::string& line);
    bool AskSkip(const std::string& path, const std::string& message);
    void FinishRun(const TBatchResult& result, const std::string& folder);
    bool ConfirmDiscard(const char* caption);
    void MarkSaved();
    void RememberProjectFolder(const std::string& path);
    void PushUndo();
    void SetBatch(const std::vector<std::string>& entries);
    void AddPaths(const std::vector<std::string>& paths);
    void SelectOnly(const std::vector<std::size_t>& indices);
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
    IRunHost* runHost_ = nullptr;
    unsigned pending_ = 0;
    int depth_ = 0;

    std::string programFolder_;
    bool programFolderWritable_ = true;
    std::string documentsFolder_;
    std::string lastProjectFolder_;
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
    TWindowLayout layout_;
    TProject savedProject_; // the batch as last opened or saved
    std::vector<TBatchState> undo_;
    bool running_ = false;
    std::atomic<bool> cancelRequested_ = false;
    bool cancelReported_ = false;
    bool closeAfterRun_ = false;
    std::int32_t runTotal_ = 0;
    std::int32_t runDone_ = 0;
    std::string statusText_;
    bool shown_ = false;
    bool settingsWritten_ = false;
    bool closed_ = false;
    bool destroyed_ = false;
};

} // namespace mv
