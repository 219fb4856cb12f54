#include "gui/MainWindow.h"

#include "app/MainForm.h"
#include "app/MainFormTexts.h"
#include "gui/AboutBox.h"
#include "gui/Artwork.h"
#include "gui/PreviewPanel.h"
#include "gui/QtDialogs.h"
#include "gui/QtFileBrowser.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleHints>
#include <QTabWidget>
#include <QTextBlock>
#include <QThread>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <atomic>
#include <thread>

namespace mv {

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A caption as a widget without mnemonics shows it: a single '&' marks the
// shortcut letter and disappears, "&&" shows one '&'.
QString ShownText(const char* caption) {
    const QString text = Q(caption);
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

QColor Color(const ui::TRgb& c) {
    return QColor(c.R, c.G, c.B);
}

void Paint(QWidget* w, QPalette::ColorRole role, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(role, color);
    w->setPalette(pal);
    if (role == QPalette::Window) w->setAutoFillBackground(true);
}

// A header band: the bold text on the header colour.
QLabel* HeaderBand(const char* text, const char* name) {
    auto* band = new QLabel(ShownText(text));
    band->setObjectName(Q(name));
    QFont f = band->font();
    f.setBold(true);
    band->setFont(f);
    // At least the original height; a second line when the desktop's font
    // is too wide for one at the window's width.
    band->setWordWrap(true);
    band->setMinimumHeight(22);
    band->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    band->setContentsMargins(6, 0, 6, 0);
    band->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Paint(band, QPalette::Window, Color(ui::HeaderColor));
    Paint(band, QPalette::WindowText, Qt::black);
    return band;
}

QToolButton* ProjectButton(const char* name, const char* caption, const char* hint, const QIcon& icon) {
    auto* b = new QToolButton;
    b->setObjectName(Q(name));
    b->setText(Q(caption));
    b->setToolTip(Q(hint));
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFixedSize(std::max(121, b->sizeHint().width()), std::max(27, b->sizeHint().height()));
    return b;
}

QPushButton* Button(const char* name, const char* caption) {
    auto* b = new QPushButton(Q(caption));
    b->setObjectName(Q(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* Switch(const char* name, const char* caption) {
    auto* c = new QCheckBox(Q(caption));
    c->setObjectName(Q(name));
    return c;
}

std::vector<std::string> LocalPaths(const QStringList& names) {
    std::vector<std::string> paths;
    for (const QString& name : names)
        paths.push_back(QFile::encodeName(name).toStdString());
    return paths;
}

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

std::vector<std::string> Lines(const QPlainTextEdit* edit) {
    std::vector<std::string> lines;
    const QTextDocument* doc = edit->document();
    if (doc->isEmpty()) return lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().toStdString());
    return lines;
}

} // namespace

// The owner-drawn panel of the status bar: it paints the two rectangles
// that the model computes for it, navy up to the percentage and the button
// face after it, and over them which file of how many and the percentage.
class TProgressPanel : public QWidget {
public:
    explicit TProgressPanel(TMainForm& form) : form_(form) {
        setObjectName(QStringLiteral("ProgressPanel"));
        // Wide enough for the longest text a large batch gives.
        setFixedWidth(
            std::max(ui::StatusProgressPanelWidth,
                     fontMetrics().horizontalAdvance(QStringLiteral("Datei 88888 von 88888 · 100 %")) + 12));
    }

    QString Text() const {
        const QString files = Q(form_.ProgressText());
        return files.isEmpty() ? files
                               : QStringLiteral("%1 · %2 %").arg(files).arg(form_.ProgressPercentage());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // A lowered bevel like the text panel's; the bar fills what is inside.
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        const TProgressPanelPaint parts = form_.StatusBar1DrawPanel(ToRect(rect().adjusted(1, 1, -1, -1)));
        painter.setPen(Qt::NoPen);
        painter.fillRect(ToQRect(parts.Navy), Color(ui::ProgressColor));
        painter.fillRect(ToQRect(parts.ButtonFace), palette().color(QPalette::Button));
        const QString text = Text();
        if (text.isEmpty()) return;
        // White on the bar, the usual text colour beside it.
        for (const auto& [part, color] :
             {std::pair{ToQRect(parts.Navy), QColor(Qt::white)},
              std::pair{ToQRect(parts.ButtonFace), palette().color(QPalette::ButtonText)}}) {
            painter.setClipRect(part);
            painter.setPen(color);
            painter.drawText(rect(), Qt::AlignCenter, text);
        }
    }

private:
    TMainForm& form_;
};

// Runs a batch's conversions on a worker thread while the window's event
// loop goes on, so that the window repaints, follows its size and takes
// "Abbrechen"; the model is only ever touched on the window's thread.
class TWindowRunHost : public IRunHost {
public:
    explicit TWindowRunHost(QObject* context) : context_(context) {}

    void Run(const std::function<void()>& work) override {
        std::atomic<bool> done = false;
        std::exception_ptr error;
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
            done = true;
            // Wakes the loop below.
            QMetaObject::invokeMethod(
                context_, [] {}, Qt::QueuedConnection);
        });
        // Not a nested QEventLoop: a quitting application makes those return
        // at once, and the conversions must be waited for in any case.
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        worker.join();
        if (error) std::rethrow_exception(error);
    }

    void Call(const std::function<void()>& fn) override {
        if (QThread::currentThread() == context_->thread()) {
            fn();
            return;
        }
        std::exception_ptr error;
        QMetaObject::invokeMethod(
            context_,
            [&] {
                try {
                    fn();
                } catch (...) {
                    error = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (error) std::rethrow_exception(error);
    }

private:
    QObject* context_;
};

// The decorative panel of the second page: a picture and, over it, the
// text in Arial Black, maroon, wrapped.
class TDecorationPanel : public QWidget {
public:
    TDecorationPanel() {
        setObjectName(QStringLiteral("DecorationPanel"));
        setFixedWidth(209);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Color(ui::DecorationColor));
        const QRect pictureRect = rect().adjusted(4, 64, -4, -8);
        if (picture_.size() != pictureRect.size()) picture_ = art::DecorationPicture(pictureRect.size());
        painter.drawImage(pictureRect.topLeft(), picture_);
        QFont font;
        font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")});
        font.setPixelSize(19);
        font.setWeight(QFont::Black);
        painter.setFont(font);
        painter.setPen(QColor(128, 0, 0));
        painter.drawText(rect().adjusted(10, 10, -10, -10), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         Q(ui::DecorationText));
    }

private:
    QImage picture_;
};

// ---------------------------------------------------------------- building

TMainWindow::TMainWindow(const TMainWindowServices& services, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(art::AppIcon());
    // The desktop's font: the sizes below grow with it where they must.
    setAcceptDrops(true);

    if (!services.Shell) ownShell_ = std::make_unique<TLinuxShell>();
    if (!services.Settings) ownSettings_ = std::make_unique<TIniFile>(DefaultSettingsPath());
    if (!services.Dialogs) ownDialogs_ = std::make_unique<TQtDialogs>(this);
    browser_ = new TQtFileBrowser(this);

    TMainFormServices formServices{services.Shell ? *services.Shell : *ownShell_,
                                   services.Dialogs ? *services.Dialogs : *ownDialogs_, *browser_, *browser_,
                                   services.Settings ? *services.Settings : *ownSettings_};
    // FormCreate runs here; the widgets are filled from the model below.
    form_ = std::make_unique<TMainForm>(formServices);
    runHost_ = std::make_unique<TWindowRunHost>(this);
    form_->SetRunHost(runHost_.get());

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildButtonRow());
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("PageControl2"));
    pages_->setIconSize(QSize(16, 16));
    pages_->addTab(BuildSelectPage(), art::SelectPageIcon(), Q(ui::SelectPageCaption));
    pages_->addTab(BuildConvertPage(), art::ConvertPageIcon(), Q(ui::ConvertPageCaption));
    pages_->tabBar()->setAttribute(Qt::WA_Hover); // tabs light up under the mouse
    layout->addWidget(pages_, 1);
    layout->addWidget(BuildBottomRow());
    setCentralWidget(central);
    BuildStatusBar();

    // The window's size as the original measured it includes the frame.
    resize(ui::WindowWidth - 8, ui::WindowHeight - 34);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    Connect();
    AddShortcuts();
    // A double click on a button is one click: its second press would
    // start the action again.
    for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
        if (!b->isCheckable()) b->installEventFilter(this);
    }
    form_->SetOnChange([this](unsigned changes) { Refresh(changes); });
    Refresh(~0u & ~(fcClosed | fcAboutBox | fcPlacement | fcLayout));
}

TMainWindow::~TMainWindow() {
    // The model's last actions (freeing the batch, writing the settings)
    // need the services but no longer the widgets.
    form_->SetOnChange(nullptr);
    form_.reset();
}

QWidget* TMainWindow::BuildButtonRow() {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("ButtonPanel"));
    buttonRow_ = row;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    newBtn_ = ProjectButton("NewBtn", ui::NewBtnCaption, ui::NewBtnHint, art::NewIcon());
    openBtn_ = ProjectButton("OpenBtn", ui::OpenBtnCaption, ui::OpenBtnHint, art::OpenIcon());
    saveBtn_ = ProjectButton("SaveBtn", ui::SaveBtnCaption, ui::SaveBtnHint, art::SaveIcon());
    saveAsBtn_ = ProjectButton("SaveAsBtn", ui::SaveAsBtnCaption, ui::SaveAsBtnHint, art::SaveAsIcon());
    for (QToolButton* b : {newBtn_, openBtn_, saveBtn_, saveAsBtn_})
        h->addWidget(b);
    h->addStretch();
    row->setFixedHeight(newBtn_->height());
    return row;
}

QWidget* TMainWindow::BuildSelectPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    selectPage_ = page;
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(HeaderBand(ui::SelectPageHeader, "SelectHeader"));

    auto* favourites = new QWidget;
    favourites->setObjectName(QStringLiteral("FavouritesPanel"));
    favourites->setFixedHeight(std::max(33, 2 * favourites->fontMetrics().height() + 4));
    Paint(favourites, QPalette::Window, Color(ui::HeaderColor));
    auto* fh = new QHBoxLayout(favourites);
    fh->setContentsMargins(6, 2, 2, 2);
    auto* favLabel = new QLabel(ShownText(ui::FavouritesLabel));
    QFont bold = favLabel->font();
    bold.setBold(true);
    favLabel->setFont(bold);
    Paint(favLabel, QPalette::WindowText, Qt::black);
    fh->addWidget(favLabel);
    prefList_ = new QListWidget;
    prefList_->setObjectName(QStringLiteral("PrefListBox"));
    prefList_->setToolTip(QStringLiteral("Doppelklick oder Enter öffnet den Ordner"));
    prefList_->installEventFilter(this);
    fh->addWidget(prefList_, 1);
    v->addWidget(favourites);

    browser_->Tree()->setObjectName(QStringLiteral("ShellTree1"));
    browser_->List()->setObjectName(QStringLiteral("ShellList1"));
    preview_ = new TPreviewPanel;
    preview_->setObjectName(QStringLiteral("Preview"));
    browserSplitter_ = new QSplitter(Qt::Horizontal);
    browserSplitter_->setObjectName(QStringLiteral("BrowserSplitter"));
    browserSplitter_->addWidget(browser_->TreePane());
    browserSplitter_->addWidget(browser_->List());
    browserSplitter_->addWidget(preview_);
    browserSplitter_->setChildrenCollapsible(false);
    // More width goes to the file list and the preview, not to the tree.
    browserSplitter_->setStretchFactor(0, 0);
    browserSplitter_->setStretchFactor(1, 1);
    browserSplitter_->setStretchFactor(2, 1);
    browserSplitter_->setSizes({241, 220, 160});

    auto* lower = new QWidget;
    auto* lv = new QVBoxLayout(lower);
    lv->setContentsMargins(0, 2, 0, 0);
    lv->setSpacing(2);
    auto* batchRow = new QHBoxLayout;
    batchRow->setContentsMargins(2, 0, 2, 0);
    addBtn_ = Button("AddBtn", ui::AddBtnCaption);
    delBtn_ = Button("DelBtn", ui::DelBtnCaption);
    convertBtn_ = Button("ConvertBtn", ui::ConvertBtnCaption);
    addBtn_->setToolTip(QStringLiteral("Die ausgewählten Dateien der Liste hinzufügen"));
    delBtn_->setToolTip(QStringLiteral("Die markierten Einträge aus der Liste entfernen (Entf)"));
    convertBtn_->setToolTip(QStringLiteral("Weiter zur Seite \"Dateien umwandeln\""));
    for (QPushButton* b : {addBtn_, delBtn_, convertBtn_}) {
        b->setMinimumWidth(121);
        batchRow->addWidget(b);
    }
    batchRow->addStretch();
    lv->addLayout(batchRow);
    imageList_ = new QListWidget;
    imageList_->setObjectName(QStringLiteral("ImageList"));
    imageList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    imageList_->installEventFilter(this);
    lv->addWidget(imageList_, 1);

    pageSplitter_ = new QSplitter(Qt::Vertical);
    pageSplitter_->setObjectName(QStringLiteral("PageSplitter"));
    pageSplitter_->addWidget(browserSplitter_);
    pageSplitter_->addWidget(lower);
    pageSplitter_->setChildrenCollapsible(false);
    // More height is shared by the browser with the preview and the batch list.
    pageSplitter_->setStretchFactor(0, 1);
    pageSplitter_->setStretchFactor(1, 1);
    pageSplitter_->setSizes({176, 150});
    v->addWidget(pageSplitter_, 1);
    return page;
}

QWidget* TMainWindow::BuildConvertPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(HeaderBand(ui::ConvertPageHeader, "ConvertHeader"));

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(new TDecorationPanel);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(10, 8, 6, 6);
    right->setSpacing(4);
    goBtn_ = Button("GoBtn", ui::GoBtnCaption);
    goBtn_->setToolTip(QStringLiteral("Alle Dateien der Liste in den Ausgabe Ordner umwandeln"));
    goBtn_->setMinimumHeight(30);
    QFont goFont = goBtn_->font();
    goFont.setBold(true);
    goBtn_->setFont(goFont);
    cancelBtn_ = Button("CancelBtn", ui::CancelBtnCaption);
    cancelBtn_->setToolTip(QStringLiteral("Die laufende Umwandlung abbrechen (Esc)"));
    cancelBtn_->setIcon(art::CancelIcon());
    cancelBtn_->setMinimumHeight(30);
    cancelBtn_->setEnabled(false);
    auto* goRow = new QHBoxLayout;
    goRow->setSpacing(4);
    goRow->addWidget(goBtn_, 1);
    goRow->addWidget(cancelBtn_);
    right->addLayout(goRow);
    right->addSpacing(6);

    auto* outputLabel = new QLabel(ShownText(ui::OutputFolderLabel));
    right->addWidget(outputLabel);
    auto* dirRow = new QHBoxLayout;
    dirRow->setSpacing(0);
    directoryEdit_ = new QLineEdit;
    directoryEdit_->setObjectName(QStringLiteral("DirectoryEdit1"));
    directoryEdit_->setToolTip(QStringLiteral("Ordner für die DXF Dateien; leer: der Programmordner"));
    outputLabel->setBuddy(directoryEdit_);
    directoryBtn_ = new QToolButton;
    directoryBtn_->setObjectName(QStringLiteral("DirectoryEdit1Button"));
    directoryBtn_->setText(QStringLiteral("..."));
    directoryBtn_->setToolTip(QStringLiteral("Ausgabe Ordner wählen..."));
    dirRow->addWidget(directoryEdit_, 1);
    dirRow->addWidget(directoryBtn_);
    right->addLayout(dirRow);
    right->addSpacing(6);

    cbAutoCADVer_ = Switch("cbAutoCADVer", ui::AutoCADVerCaption);
    cbParseWhite_ = Switch("cbParseWhite", ui::ParseWhiteCaption);
    cbUse01MM_ = Switch("cbUse01MM", ui::Use01MMCaption);
    cbAlternativeBlack_ = Switch("cbAlternativeBlack", ui::AlternativeBlackCaption);
    cbImages_ = Switch("cbImages", ui::ImagesCaption);
    cbClassic_ = Switch("cbClassic", ui::ClassicCaption);
    for (QCheckBox* c :
         {cbAutoCADVer_, cbParseWhite_, cbUse01MM_, cbAlternativeBlack_, cbImages_, cbClassic_})
        right->addWidget(c);

    // The pen width ratio stays hidden: every run passes its "-1.0".
    auto* penRow = new QHBoxLayout;
    lblPenWidthRatio_ = new QLabel(ShownText(ui::PenWidthRatioLabel));
    lblPenWidthRatio_->setObjectName(QStringLiteral("lblPenWidthRatio"));
    edtPenWidthRatio_ = new QLineEdit;
    edtPenWidthRatio_->setObjectName(QStringLiteral("edtPenWidthRatio"));
    penRow->addWidget(lblPenWidthRatio_);
    penRow->addWidget(edtPenWidthRatio_);
    lblPenWidthRatio_->hide();
    edtPenWidthRatio_->hide();
    right->addLayout(penRow);
    right->addSpacing(8);

    auto* messagesLabel = new QLabel(ShownText(ui::MessagesLabel));
    right->addWidget(messagesLabel);
    memo_ = new QPlainTextEdit;
    memo_->setObjectName(QStringLiteral("Memo1"));
    // The pane takes the height the window has beyond the controls.
    memo_->setMinimumHeight(73);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The tool tip colours, as the original message pane had them.
    Paint(memo_, QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    Paint(memo_, QPalette::Text, QApplication::palette().color(QPalette::ToolTipText));
    messagesLabel->setBuddy(memo_);
    right->addWidget(memo_, 1);

    body->addLayout(right, 1);
    v->addLayout(body, 1);
    return page;
}

QWidget* TMainWindow::BuildBottomRow() {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("BottomPanel"));
    row->setFixedHeight(41);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(4, 6, 6, 6);
    wwwBtn_ = new QToolButton;
    wwwBtn_->setObjectName(QStringLiteral("wwwBtn"));
    QString address = Q(ui::WebAddress);
    address.remove(QStringLiteral("https://")).remove(QStringLiteral("http://"));
    wwwBtn_->setText(address);
    wwwBtn_->setToolTip(Q(ui::WwwBtnHint));
    wwwBtn_->setIcon(art::WebIcon());
    wwwBtn_->setIconSize(QSize(20, 20));
    wwwBtn_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    wwwBtn_->setAutoRaise(true);
    wwwBtn_->setCursor(Qt::PointingHandCursor);
    h->addWidget(wwwBtn_);
    h->addStretch();
    aboutBtn_ = Button("AboutBtn", ui::AboutBtnCaption);
    aboutBtn_->setIcon(art::AboutIcon());
    quitBtn_ = Button("QuitBtn", ui::QuitBtnCaption);
    quitBtn_->setIcon(art::CancelIcon());
    for (QPushButton* b : {aboutBtn_, quitBtn_}) {
        b->setMinimumWidth(90);
        h->addWidget(b);
    }
    return row;
}

void TMainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(std::max(19, bar->fontMetrics().height() + 6));
    bar->setSizeGripEnabled(true);
    statusText_ = new QLabel;
    statusText_->setObjectName(QStringLiteral("StatusText"));
    statusText_->setFixedWidth(ui::StatusTextPanelWidth);
    statusText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    progress_ = new TProgressPanel(*form_);
    bar->addWidget(statusText_);
    bar->addWidget(progress_);
}

// ---------------------------------------------------------------- input

void TMainWindow::Connect() {
    connect(newBtn_, &QToolButton::clicked, this, [this] { form_->NewBtnClick(); });
    connect(openBtn_, &QToolButton::clicked, this, [this] { form_->OpenBtnClick(); });
    connect(saveBtn_, &QToolButton::clicked, this, [this] { form_->SaveBtnClick(); });
    connect(saveAsBtn_, &QToolButton::clicked, this, [this] { form_->SaveAsBtnClick(); });

    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!updating_) form_->SetActivePage(index);
    });

    connect(prefList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_) form_->SetPrefListItemIndex(row);
    });
    connect(prefList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        form_->SetPrefListItemIndex(prefList_->row(item));
        form_->PrefListBoxDblClick();
    });

    browser_->List()->OnEnter = [this] { return form_->ShellList1KeyPress('\r'); };
    connect(browser_, &TQtFileBrowser::Activated, this, [this] { form_->ShellList1DblClick(); });
    connect(browser_, &TQtFileBrowser::AddRequested, this, [this] { form_->AddBtnClick(); });
    connect(browser_, &TQtFileBrowser::SelectionChanged, this, [this] { UpdatePreview(false); });
    connect(browser_, &TQtFileBrowser::FolderChanged, this, [this] { UpdatePreview(false); });

    connect(addBtn_, &QPushButton::clicked, this, [this] { form_->AddBtnClick(); });
    connect(delBtn_, &QPushButton::clicked, this, [this] { form_->DelBtnClick(); });
    connect(convertBtn_, &QPushButton::clicked, this, [this] { form_->ConvertBtnClick(); });
    connect(imageList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (updating_) return;
        // Read the whole selection before telling the model: each step
        // refreshes the list from the model.
        std::vector<bool> selected;
        for (int i = 0; i < imageList_->count(); ++i)
            selected.push_back(imageList_->item(i)->isSelected());
        const int current = imageList_->currentRow();
        ++updating_;
        for (std::size_t i = 0; i < selected.size(); ++i)
            form_->SetImageListSelected(static_cast<int>(i), selected[i]);
        form_->SetImageListItemIndex(current);
        --updating_;
        UpdatePreview(true);
    });
    connect(imageList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_) form_->SetImageListItemIndex(row);
    });
    connect(imageList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        form_->SetImageListItemIndex(imageList_->row(item));
        form_->ImageListDblClick();
    });

    connect(goBtn_, &QPushButton::clicked, this, [this] { form_->GoBtn1Click(); });
    connect(cancelBtn_, &QPushButton::clicked, this, [this] { form_->CancelRun(); });
    connect(directoryEdit_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_->SetOutputFolderText(text.toStdString()); });
    connect(directoryBtn_, &QToolButton::clicked, this, [this] { form_->DirectoryEdit1ButtonClick(); });
    connect(cbAutoCADVer_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetAutoCADVer(on);
    });
    connect(cbParseWhite_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetParseWhite(on);
    });
    connect(cbUse01MM_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetUse01MM(on);
    });
    connect(cbAlternativeBlack_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetAlternativeBlack(on);
    });
    connect(cbImages_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetImages(on);
    });
    connect(cbClassic_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) form_->SetClassic(on);
    });
    connect(edtPenWidthRatio_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_->SetPenWidthRatioText(text.toStdString()); });
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) form_->SetMemoLines(Lines(memo_));
    });

    connect(wwwBtn_, &QToolButton::clicked, this, [this] { form_->wwwBtnClick(); });
    connect(aboutBtn_, &QPushButton::clicked, this, [this] { form_->AboutBtnClick(); });
    connect(quitBtn_, &QPushButton::clicked, this, [this] { form_->QuitBtnClick(); });

    connect(browserSplitter_, &QSplitter::splitterMoved, this, [this] { ReportLayout(); });
    connect(pageSplitter_, &QSplitter::splitterMoved, this, [this] { ReportLayout(); });
    connect(browser_, &TQtFileBrowser::ColumnsResized, this, [this] { ReportLayout(); });
}

void TMainWindow::AddShortcuts() {
    auto add = [this](const QKeySequence& keys, auto action, bool batch) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
        if (batch) batchShortcuts_.push_back(shortcut);
    };
    // The quit button is the window's cancel button: Esc anywhere acts like a
    // click on it, unless the focused control uses the key itself (an open
    // editor or popup takes it first). During a run it cancels the run.
    add(
        QKeySequence(Qt::Key_Escape), [this] { form_->EscapeKey(); }, false);
    add(
        QKeySequence(Qt::CTRL | Qt::Key_N), [this] { form_->NewBtnClick(); }, true);
    add(
        QKeySequence(Qt::CTRL | Qt::Key_O), [this] { form_->OpenBtnClick(); }, true);
    add(
        QKeySequence(Qt::CTRL | Qt::Key_S), [this] { form_->SaveBtnClick(); }, true);
    add(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { form_->SaveAsBtnClick(); }, true);
    // Text fields keep Ctrl+Z for their own text.
    add(
        QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { form_->UndoBatch(); }, true);
    add(
        QKeySequence(Qt::Key_F1), [this] { form_->AboutBtnClick(); }, true);
}

bool TMainWindow::SwallowRepeatedPress(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    if (!qobject_cast<QAbstractButton*>(watched)) return false;
    const quint64 time = static_cast<QMouseEvent*>(event)->timestamp();
    const auto interval = static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (watched == lastPressed_ && time >= lastPressTime_ && time - lastPressTime_ < interval) return true;
    if (event->type() == QEvent::MouseButtonDblClick) return true;
    lastPressed_ = watched;
    lastPressTime_ = time;
    return false;
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (SwallowRepeatedPress(watched, event)) return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == imageList_ && (enter || key->key() == Qt::Key_Delete)) {
            form_->ImageListKeyDown(enter ? VK_RETURN : VK_DELETE);
            return true;
        }
        if (watched == prefList_ && enter) {
            form_->SetPrefListItemIndex(prefList_->currentRow());
            form_->PrefListBoxKeyPress('\r');
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- output

void TMainWindow::Refresh(unsigned changes) {
    ++updating_;
    if (changes & fcCaption) setWindowTitle(Q(form_->Caption()));
    if (changes & fcBatchList) RefreshBatchList();
    if (changes & fcSwitches) {
        const TBatchOptions& o = form_->Options();
        cbAutoCADVer_->setChecked(o.R14);
        cbParseWhite_->setChecked(o.ParseWhite);
        cbUse01MM_->setChecked(o.Use01MM);
        cbAlternativeBlack_->setChecked(o.AlternativeBlack);
        cbImages_->setChecked(o.Images);
        cbImages_->setEnabled(!o.Classic && !form_->Running());
        cbClassic_->setChecked(o.Classic);
        if (edtPenWidthRatio_->text().toStdString() != o.PenWidthRatio)
            edtPenWidthRatio_->setText(Q(o.PenWidthRatio));
        UpdatePreview(previewFromBatch_);
    }
    if (changes & fcOutputFolder) {
        if (directoryEdit_->text().toStdString() != form_->OutputFolderText())
            directoryEdit_->setText(Q(form_->OutputFolderText()));
    }
    if (changes & fcMemo) RefreshMemo();
    if (changes & fcFavourites) {
        const auto& items = form_->PrefListItems();
        bool same = prefList_->count() == static_cast<int>(items.size());
        for (int i = 0; same && i < prefList_->count(); ++i)
            same = prefList_->item(i)->text().toStdString() == items[static_cast<std::size_t>(i)];
        if (!same) {
            prefList_->clear();
            for (const std::string& item : items)
                prefList_->addItem(Q(item));
        }
        prefList_->setCurrentRow(form_->PrefListItemIndex());
    }
    if (changes & fcPage) pages_->setCurrentIndex(form_->ActivePage());
    if (changes & (fcProgress | fcStatus)) RefreshProgress();
    if (changes & fcStatus) {
        RefreshStatusText();
        progress_->update(); // its text
    }
    if (changes & fcRun) RefreshRun();
    if ((changes & fcPlacement) && !placing_) ApplyPlacement();
    if (changes & fcLayout) ApplyLayout();
    --updating_;
    if (changes & fcAboutBox) ShowAboutBox();
    if (changes & fcClosed) close();
}

// During a run only "Abbrechen", the message pane (to read), the tabs and
// the window itself take input; everything that would change the batch or
// start another run is off.
void TMainWindow::RefreshRun() {
    const bool running = form_->Running();
    for (QWidget* w : std::initializer_list<QWidget*>{
             buttonRow_, selectPage_, goBtn_, directoryEdit_, directoryBtn_, cbAutoCADVer_, cbParseWhite_,
             cbUse01MM_, cbAlternativeBlack_, cbClassic_, edtPenWidthRatio_, aboutBtn_})
        w->setEnabled(!running);
    // The classic interpretation writes no images.
    cbImages_->setEnabled(!running && !form_->Options().Classic);
    for (QShortcut* shortcut : batchShortcuts_)
        shortcut->setEnabled(!running);
    memo_->setReadOnly(running);
    const bool cancelHadFocus = cancelBtn_->hasFocus();
    cancelBtn_->setEnabled(running && !form_->CancelRequested());
    // The keyboard goes back to where the run was started.
    if (!running && (cancelHadFocus || !focusWidget())) goBtn_->setFocus();
    if (running != cancelBtn_->property("running").toBool()) {
        cancelBtn_->setProperty("running", running);
        emit RunChanged(running);
    }
}

void TMainWindow::RefreshStatusText() {
    const QString text = Q(form_->StatusText());
    statusText_->setToolTip(text);
    statusText_->setText(statusText_->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                                               statusText_->contentsRect().width() - 4));
}

void TMainWindow::RefreshBatchList() {
    const auto& items = form_->ImageListItems();
    const auto& selected = form_->ImageListSelection();
    bool same = imageList_->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < imageList_->count(); ++i)
        same = imageList_->item(i)->text().toStdString() == items[static_cast<std::size_t>(i)];
    if (!same) {
        imageList_->clear();
        for (const std::string& item : items)
            imageList_->addItem(Q(item));
    }
    const std::vector<std::string> paths = form_->BatchEntries();
    for (int i = 0; i < imageList_->count(); ++i) {
        QListWidgetItem* item = imageList_->item(i);
        item->setSelected(i < static_cast<int>(selected.size()) && selected[static_cast<std::size_t>(i)]);
        // The list shows names; the full path is a hover away.
        if (static_cast<std::size_t>(i) < paths.size())
            item->setToolTip(Q(paths[static_cast<std::size_t>(i)]));
    }
    if (form_->ImageListItemIndex() >= 0) {
        imageList_->setCurrentRow(form_->ImageListItemIndex(), QItemSelectionModel::NoUpdate);
        imageList_->scrollToItem(imageList_->item(form_->ImageListItemIndex()));
    }
    delBtn_->setEnabled(form_->DelBtnEnabled());
    if (previewFromBatch_) UpdatePreview(true);
}

void TMainWindow::RefreshMemo() {
    const std::vector<std::string>& model = form_->MemoLines();
    const std::vector<std::string> shown = Lines(memo_);
    // The system only appends: lines the pane lacks at its end are added,
    // so that what the user typed and the caret stay.
    if (shown.size() <= model.size() && std::equal(shown.begin(), shown.end(), model.begin())) {
        for (std::size_t i = shown.size(); i < model.size(); ++i)
            memo_->appendPlainText(Q(model[i]));
    } else {
        QStringList lines;
        for (const std::string& line : model)
            lines << Q(line);
        memo_->setPlainText(lines.join(QLatin1Char('\n')));
    }
}

void TMainWindow::RefreshProgress() {
    switch (form_->ProgressRepaintKind()) {
    case TProgressRepaint::WholeBar:
        statusBar()->repaint();
        progress_->repaint();
        break;
    case TProgressRepaint::NavyPart:
        // The text over the bar changes with it: the whole panel.
        progress_->repaint();
        break;
    case TProgressRepaint::None:
        break;
    }
}

void TMainWindow::UpdatePreview(bool fromBatchList) {
    previewFromBatch_ = fromBatchList;
    TPreviewOptions options{form_->Options().ParseWhite, form_->Options().AlternativeBlack,
                            form_->Options().Classic, form_->Options().Images};
    QString path;
    if (fromBatchList) {
        const auto& selected = form_->ImageListSelection();
        const auto entries = form_->BatchEntries();
        int count = 0, index = -1;
        for (std::size_t i = 0; i < selected.size(); ++i) {
            if (selected[i]) {
                ++count;
                index = static_cast<int>(i);
            }
        }
        if (count == 1 && static_cast<std::size_t>(index) < entries.size())
            path = Q(entries[static_cast<std::size_t>(index)]);
    } else {
        const QStringList files = browser_->SelectedFilePaths();
        if (files.size() == 1 && browser_->SelectedCount() == 1) path = files.first();
    }
    preview_->ShowFile(path, options);
}

void TMainWindow::ShowAboutBox() {
    TAboutBox box(this);
    aboutBox_ = &box;
    emit AboutBoxOpened(&box);
    box.exec();
    aboutBox_ = nullptr;
}

// ---------------------------------------------------------------- window

void TMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    form_->FormShow();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    // During a run the model cancels it and closes the window afterwards.
    if (!form_->Closed() && !form_->Close()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TMainWindow::ApplyPlacement() {
    const auto& placement = form_->Placement();
    if (!placement) return;
    QRect rect(placement->Left, placement->Top, placement->Width, placement->Height);
    // A place on a screen that is gone would hide the window: keep the size
    // and centre it instead.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(rect);
    if (!onScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            rect.moveCenter(screen->availableGeometry().center());
    }
    placing_ = true;
    setGeometry(rect);
    if (placement->State == TWindowState::Maximized) setWindowState(windowState() | Qt::WindowMaximized);
    placing_ = false;
}

void TMainWindow::ReportPlacement() {
    if (!shown_ || placing_ || updating_) return;
    TFormPlacement placement;
    const QRect normal =
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) ? normalGeometry() : geometry();
    if (normal.isEmpty()) return;
    placement.Left = normal.x();
    placement.Top = normal.y();
    placement.Width = normal.width();
    placement.Height = normal.height();
    placement.State = windowState() & Qt::WindowMaximized   ? TWindowState::Maximized
                      : windowState() & Qt::WindowMinimized ? TWindowState::Minimized
                                                            : TWindowState::Normal;
    placing_ = true;
    form_->SetPlacement(placement);
    placing_ = false;
}

void TMainWindow::ApplyLayout() {
    const TWindowLayout& layout = form_->Layout();
    placing_ = true;
    if (layout.BrowserSplitter.size() == 3)
        browserSplitter_->setSizes(QList<int>(layout.BrowserSplitter.begin(), layout.BrowserSplitter.end()));
    if (layout.PageSplitter.size() == 2)
        pageSplitter_->setSizes(QList<int>(layout.PageSplitter.begin(), layout.PageSplitter.end()));
    browser_->SetColumnWidths(layout.ListColumns);
    placing_ = false;
}

void TMainWindow::ReportLayout() {
    if (placing_) return;
    TWindowLayout layout;
    for (int size : browserSplitter_->sizes())
        layout.BrowserSplitter.push_back(size);
    for (int size : pageSplitter_->sizes())
        layout.PageSplitter.push_back(size);
    layout.ListColumns = browser_->ColumnWidths();
    form_->SetLayout(layout);
}

bool TMainWindow::Running() const {
    return form_->Running();
}

void TMainWindow::OpenArguments(const QStringList& arguments) {
    QStringList paths;
    for (const QString& argument : arguments)
        paths << QFileInfo(argument).absoluteFilePath();
    form_->DropFiles(LocalPaths(paths));
}

// Files from a file manager: metafiles and folders go into the batch, a
// project file is opened.
void TMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    bool local = false;
    for (const QUrl& url : event->mimeData()->urls())
        local = local || url.isLocalFile();
    if (local && !form_->Running())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    if (paths.isEmpty() || form_->Running()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The file manager waits for the drop to end: the batch changes after it.
    QMetaObject::invokeMethod(
        this, [this, files = LocalPaths(paths)] { form_->DropFiles(files); }, Qt::QueuedConnection);
}

void TMainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    ReportPlacement();
}

void TMainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ReportPlacement();
}

void TMainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) ReportPlacement();
}

} // namespace mv
