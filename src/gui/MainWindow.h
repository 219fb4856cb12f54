#pragma once
// The main window: Qt widgets that show the window model TMainForm and hand
// every user input to its actions. The widgets carry the model's control
// names as object names (NewBtn, ShellList1, ImageList, Memo1, ...).

#include <QDialog>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QShortcut;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace mv {

class IDialogs;
class IShell;
class ISettingsStore;
class TMainForm;
class TQtDialogs;
class TQtFileBrowser;
class TPreviewPanel;
class TProgressPanel;
class TWindowRunHost;

// Where the window gets its services from; null members take the real ones
// (the Linux shell, the settings file, Qt's dialogs). They must outlive the
// window.
struct TMainWindowServices {
    IShell* Shell = nullptr;
    ISettingsStore* Settings = nullptr;
    IDialogs* Dialogs = nullptr;
};

class TMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainWindow(const TMainWindowServices& services = {}, QWidget* parent = nullptr);
    ~TMainWindow() override;

    TMainForm& Form() { return *form_; }
    TQtFileBrowser& Browser() { return *browser_; }
    TPreviewPanel& Preview() { return *preview_; }
    // The about box while it is shown (for tests and screenshots).
    QDialog* AboutBox() const { return aboutBox_; }
    bool Running() const;
    // The program's arguments: a project file is opened, metafiles and
    // folders of metafiles go into the batch list.
    void OpenArguments(const QStringList& arguments);

signals:
    // The about box has been created and is about to run modally.
    void AboutBoxOpened(QDialog* box);
    // A batch run started or ended.
    void RunChanged(bool running);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildButtonRow();
    QWidget* BuildSelectPage();
    QWidget* BuildConvertPage();
    QWidget* BuildBottomRow();
    void BuildStatusBar();
    void Connect();
    void AddShortcuts();

    // Shows the parts of the model that changed.
    void Refresh(unsigned changes);
    void RefreshBatchList();
    void RefreshMemo();
    void RefreshProgress();
    void RefreshRun();
    void RefreshStatusText();
    void ApplyPlacement();
    void ReportPlacement();
    void ApplyLayout();
    void ReportLayout();
    bool SwallowRepeatedPress(QObject* watched, QEvent* event);
    void ShowAboutBox();
    void UpdatePreview(bool fromBatchList);

    std::unique_ptr<IShell> ownShell_;
    std::unique_ptr<ISettingsStore> ownSettings_;
    std::unique_ptr<TQtDialogs> ownDialogs_;
    std::unique_ptr<TWindowRunHost> runHost_;
    TQtFileBrowser* browser_ = nullptr;
    std::unique_ptr<TMainForm> form_;

    QToolButton* newBtn_ = nullptr;
    QToolButton* openBtn_ = nullptr;
    QToolButton* saveBtn_ = nullptr;
    QToolButton* saveAsBtn_ = nullptr;
    QWidget* buttonRow_ = nullptr;
    QWidget* selectPage_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QListWidget* prefList_ = nullptr;
    QSplitter* browserSplitter_ = nullptr;
    QSplitter* pageSplitter_ = nullptr;
    TPreviewPanel* preview_ = nullptr;
    QPushButton* addBtn_ = nullptr;
    QPushButton* delBtn_ = nullptr;
    QPushButton* convertBtn_ = nullptr;
    QListWidget* imageList_ = nullptr;
    QPushButton* goBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QLineEdit* directoryEdit_ = nullptr;
    QToolButton* directoryBtn_ = nullptr;
    QCheckBox* cbAutoCADVer_ = nullptr;
    QCheckBox* cbParseWhite_ = nullptr;
    QCheckBox* cbUse01MM_ = nullptr;
    QCheckBox* cbAlternativeBlack_ = nullptr;
    QCheckBox* cbImages_ = nullptr;
    QCheckBox* cbClassic_ = nullptr;
    QLabel* lblPenWidthRatio_ = nullptr;
    QLineEdit* edtPenWidthRatio_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QToolButton* wwwBtn_ = nullptr;
    QPushButton* aboutBtn_ = nullptr;
    QPushButton* quitBtn_ = nullptr;
    QLabel* statusText_ = nullptr;
    TProgressPanel* progress_ = nullptr;
    QPointer<QDialog> aboutBox_;
    // Shortcuts that act on the batch or the project: off during a run.
    std::vector<QShortcut*> batchShortcuts_;

    int updating_ = 0;     // the view is being set from the model
    bool placing_ = false; // the view reports its own placement
    bool shown_ = false;
    bool previewFromBatch_ = false;
    // The last press on a button that was let through, for telling the
    // second press of a double click.
    QObject* lastPressed_ = nullptr;
    quint64 lastPressTime_ = 0;
};

} // namespace mv
