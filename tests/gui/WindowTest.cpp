// The main flows of the window through its real widgets, on the offscreen
// platform: browsing, the batch list, the pages, the switches, a batch run,
// the project file, the message boxes, the about box and quitting with Esc.

#include "FakePlatform.h"
#include "GuiSamples.h"
#include "GuiTest.h"
#include "TestUtil.h"
#include "app/MainForm.h"
#include "gui/MainWindow.h"
#include "gui/PreviewPanel.h"
#include "gui/QtFileBrowser.h"

#include <QCheckBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace mv;
using namespace mv::test;
namespace fs = std::filesystem;

class TWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempDir> dir_;
    std::string pictures_, program_, documents_;
    std::unique_ptr<TFakeShell> shell_;
    std::unique_ptr<TMemorySettings> settings_;
    std::unique_ptr<TMainWindow> window_;

    template <class T> T* Child(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    TMainForm& Form() { return window_->Form(); }
    // Shortcuts reach the active window only; the offscreen platform does
    // not give the activation back when a message box closes.
    void Activate() {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    TFileListView* List() { return window_->Browser().List(); }
    QListWidget* Batch() { return Child<QListWidget>("ImageList"); }

    void Open() {
        window_ = std::make_unique<TMainWindow>(TMainWindowServices{shell_.get(), settings_.get(), nullptr});
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    // Shows the folder as a click in the tree does, and waits until the
    // list has read it.
    void ShowFolder(const std::string& folder, int expectedRows) {
        QTreeView* tree = window_->Browser().Tree();
        auto* model = static_cast<QFileSystemModel*>(tree->model());
        tree->setCurrentIndex(model->index(QString::fromStdString(folder)));
        QCOMPARE(window_->Browser().SelectedFolder(), folder);
        QTRY_COMPARE(List()->model()->rowCount(List()->rootIndex()), expectedRows);
    }

    QModelIndex Item(const char* name) {
        auto* model = window_->Browser().ListModel();
        return model->index(QString::fromStdString(window_->Browser().SelectedFolder() + "/" + name));
    }

    void Click(const QModelIndex& index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QVERIFY(index.isValid());
        List()->scrollTo(index);
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, List()->visualRect(index).center());
    }

    void DoubleClick(const QModelIndex& index) {
        const QPoint at = List()->visualRect(index).center();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // Picks the two metafiles and adds them with the button.
    void AddTwo() {
        ShowFolder(pictures_, 4);
        Click(Item("plan.emf"));
        Click(Item("diagonale.EMF"), Qt::ControlModifier);
        QTest::mouseClick(Child<QPushButton>("AddBtn"), Qt::LeftButton);
        QCOMPARE(Batch()->count(), 2);
    }

private slots:
    void init() {
        dir_ = std::make_unique<TTempDir>();
        pictures_ = *dir_ / "Bilder";
        program_ = *dir_ / "programm";
        documents_ = *dir_ / "Dokumente";
        fs::create_directories(pictures_ + "/Archiv");
        fs::create_directories(pictures_ + "/.versteckt");
        fs::create_directories(program_);
        WriteFile(pictures_ + "/plan.emf", SampleDrawing());
        WriteFile(pictures_ + "/diagonale.EMF", DiagonalDrawing());
        WriteFile(pictures_ + "/kaputt.wmf", {1, 2, 3, 4});
        WriteFile(pictures_ + "/notiz.txt", {'a'});
        WriteFile(pictures_ + "/Archiv/alt.wmf", {1});
        shell_ = std::make_unique<TFakeShell>();
        shell_->ProgramFolderValue = program_ + "/";
        shell_->DocumentsFolderValue = documents_;
        settings_ = std::make_unique<TMemorySettings>();
    }

    void cleanup() {
        CancelModalHandlers();
        window_.reset();
        dir_.reset();
    }

    void startsAsTheModelSays() {
        Open();
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tarvold Metrovane 1.0 - [noname.mvn]"));
        QCOMPARE(Child<QToolButton>("NewBtn")->text(), QStringLiteral("&Neu"));
        QCOMPARE(Child<QToolButton>("NewBtn")->toolTip(), QStringLiteral("Neues Projekt erstellen"));
        QVERIFY(Child<QToolButton>("SaveAsBtn")->width() >= 121);
        auto* pages = Child<QTabWidget>("PageControl2");
        QCOMPARE(pages->tabText(0), QStringLiteral("EMF && WMF Dateien auswählen"));
        QCOMPARE(pages->currentIndex(), 0);
        // "&&" in a plain label shows one ampersand.
        QVERIFY(Child<QLabel>("SelectHeader")->text().startsWith(QStringLiteral("EMF & WMF auswählen - ")));
        QCOMPARE(Child<QLabel>("SelectHeader")->palette().color(QPalette::Window), QColor(240, 202, 166));
        QCOMPARE(Child<QWidget>("DecorationPanel")->width(), 209);
        QVERIFY(!Child<QPushButton>("DelBtn")->isEnabled());
        QVERIFY(Child<QCheckBox>("cbUse01MM")->isChecked());
        QVERIFY(!Child<QCheckBox>("cbAutoCADVer")->isChecked());
        QVERIFY(Child<QLineEdit>("edtPenWidthRatio")->isHidden());
        QVERIFY(Child<QLabel>("lblPenWidthRatio")->isHidden());
        QCOMPARE(Child<QLineEdit>("edtPenWidthRatio")->text(), QStringLiteral("-1.0"));
        QCOMPARE(Child<QLineEdit>("DirectoryEdit1")->text(), QString::fromStdString(documents_));
        QVERIFY(Child<QPlainTextEdit>("Memo1")->height() >= 73);
        QVERIFY(!Child<QPlainTextEdit>("Memo1")->isReadOnly());
        QCOMPARE(Child<QLabel>("StatusText")->width(), 250);
        QVERIFY(!Child<QPushButton>("CancelBtn")->isEnabled());
        QCOMPARE(Child<QToolButton>("wwwBtn")->toolTip(), QStringLiteral("Go to the Tarvold website..."));
        // The program folder is selected in the tree at start.
        QCOMPARE(window_->Browser().SelectedFolder(), program_);
        // An empty bar: nothing navy in the progress panel.
        const QImage bar = Child<QWidget>("ProgressPanel")->grab().toImage();
        QCOMPARE(CountPixels(bar, QColor(0, 0, 128), 10), 0);
    }

    void browserShowsFoldersAndMetafilesOnly() {
        Open();
        ShowFolder(pictures_, 4);
        QStringList names;
        for (int r = 0; r < 4; ++r)
            names << List()->model()->index(r, 0, List()->rootIndex()).data().toString();
        // Folders first, the patterns without regard to letter case, no
        // hidden folder, no other files.
        QCOMPARE(names, QStringList({"Archiv", "diagonale.EMF", "kaputt.wmf", "plan.emf"}));
        auto* treeModel = static_cast<QFileSystemModel*>(window_->Browser().Tree()->model());
        const QModelIndex picturesNode = treeModel->index(QString::fromStdString(pictures_));
        treeModel->fetchMore(picturesNode);
        QTRY_COMPARE(treeModel->rowCount(picturesNode), 1); // Archiv, not the hidden one
        QCOMPARE(List()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Größe"));
        // A file that appears on disk shows up by itself.
        WriteFile(pictures_ + "/neu.wmf", DiagonalDrawing());
        QTRY_COMPARE_WITH_TIMEOUT(List()->model()->rowCount(List()->rootIndex()), 5, 10000);
        // The home button leads to the home folder.
        QTest::mouseClick(window_->Browser().HomeButton(), Qt::LeftButton);
        QCOMPARE(window_->Browser().SelectedFolder(), QDir::homePath().toStdString());
    }

    void addSelectRemoveAndSwitchPages() {
        Open();
        AddTwo();
        QCOMPARE(Batch()->item(0)->text(), QStringLiteral("diagonale.EMF"));
        QCOMPARE(Batch()->item(1)->text(), QStringLiteral("plan.emf"));
        QCOMPARE(Form().PrefListItems().at(0), pictures_ + "/");
        QCOMPARE(Child<QListWidget>("PrefListBox")->item(0)->text(), QString::fromStdString(pictures_ + "/"));
        QVERIFY(Child<QPushButton>("DelBtn")->isEnabled());

        // One entry selected in the batch list: its preview.
        QSignalSpy shown(&window_->Preview(), &TPreviewPanel::Shown);
        QTest::mouseClick(Batch()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          Batch()->visualItemRect(Batch()->item(1)).center());
        QTRY_VERIFY(!window_->Preview().Image().isNull() &&
                    window_->Preview().File().endsWith(QStringLiteral("plan.emf")));

        // Delete removes the selected entries; an empty list disables the button.
        Batch()->setFocus();
        QTest::keyClick(Batch(), Qt::Key_Delete);
        QCOMPARE(Batch()->count(), 1);
        QCOMPARE(Form().BatchEntries(), std::vector<std::string>{pictures_ + "/diagonale.EMF"});
        Batch()->item(0)->setSelected(true);
        QTest::keyClick(Batch(), Qt::Key_Delete);
        QCOMPARE(Batch()->count(), 0);
        QVERIFY(!Child<QPushButton>("DelBtn")->isEnabled());

        // "Dateien konvertieren" only turns the page; the tabs turn it back.
        QTest::mouseClick(Child<QPushButton>("ConvertBtn"), Qt::LeftButton);
        auto* pages = Child<QTabWidget>("PageControl2");
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(Form().ActivePage(), 1);
        QVERIFY(Form().MemoLines().empty());
        QTabBar* tabs = pages->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(0).center());
        QCOMPARE(Form().ActivePage(), 0);
    }

    void previewFollowsTheFileList() {
        Open();
        ShowFolder(pictures_, 4);
        Click(Item("plan.emf"));
        QTRY_VERIFY(!window_->Preview().Image().isNull());
        QVERIFY(CountPixels(window_->Preview().Image(), QColor(0, 0, 255)) > 20);
        Click(Item("kaputt.wmf"));
        QTRY_VERIFY(!window_->Preview().ErrorText().isEmpty());
        // Two files, or a folder: no preview.
        Click(Item("plan.emf"), Qt::ControlModifier);
        QVERIFY(window_->Preview().File().isEmpty());
        Click(Item("Archiv"));
        QVERIFY(window_->Preview().File().isEmpty());
    }

    void doubleClickAndEnterInTheFileList() {
        Open();
        ShowFolder(pictures_, 4);
        // A folder opens, and nothing is added.
        DoubleClick(Item("Archiv"));
        QTRY_COMPARE(window_->Browser().SelectedFolder(), pictures_ + "/Archiv");
        QCOMPARE(Batch()->count(), 0);
        auto* treeModel = static_cast<QFileSystemModel*>(window_->Browser().Tree()->model());
        QCOMPARE(treeModel->filePath(window_->Browser().Tree()->currentIndex()),
                 QString::fromStdString(pictures_ + "/Archiv"));

        ShowFolder(pictures_, 4);
        Click(Item("plan.emf"));
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Return);
        QCOMPARE(Batch()->count(), 1);
        // A double-click on a file adds every selected file.
        Click(Item("kaputt.wmf"), Qt::ControlModifier);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                           List()->visualRect(Item("kaputt.wmf")).center());
        // plan.emf is in the list already: it is selected, not added again.
        QTRY_COMPARE(Batch()->count(), 2);
        QCOMPARE(Form().BatchEntries().at(1), pictures_ + "/kaputt.wmf");
        QVERIFY(Batch()->item(0)->isSelected() && Batch()->item(1)->isSelected());
        QCOMPARE(Batch()->item(1)->toolTip(), QString::fromStdString(pictures_ + "/kaputt.wmf"));
    }

    void switchesAndARunIntoANewFolder() {
        Open();
        AddTwo();
        QTest::mouseClick(Child<QPushButton>("ConvertBtn"), Qt::LeftButton);
        auto* r14 = Child<QCheckBox>("cbAutoCADVer");
        QTest::mouseClick(r14, Qt::LeftButton, Qt::NoModifier, QPoint(6, r14->height() / 2));
        QVERIFY(Form().Options().R14);
        auto* mm = Child<QCheckBox>("cbUse01MM");
        QTest::mouseClick(mm, Qt::LeftButton, Qt::NoModifier, QPoint(6, mm->height() / 2));
        QVERIFY(!Form().Options().Use01MM);
        auto* white = Child<QCheckBox>("cbParseWhite");
        white->setFocus();
        QTest::keyClick(white, Qt::Key_Space);
        QVERIFY(Form().Options().ParseWhite);

        const std::string out = *dir_ / "aus/gabe/dxf";
        auto* edit = Child<QLineEdit>("DirectoryEdit1");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromStdString(out));
        QCOMPARE(Form().OutputFolderText(), out);

        QTest::mouseClick(Child<QPushButton>("GoBtn"), Qt::LeftButton);
        QVERIFY(fs::exists(out + "/plan.dxf"));
        QVERIFY(fs::exists(out + "/diagonale.dxf"));
        QVERIFY(ReadText(out + "/plan.dxf").find("AC1014") != std::string::npos);
        const QStringList lines = Child<QPlainTextEdit>("Memo1")->toPlainText().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString::fromStdString("Konvertiere " + pictures_ + "/diagonale.EMF..."));
        QCOMPARE(lines[2], QStringLiteral("2 Dateien konvertiert..."));
        // The bar is full: the whole panel is navy.
        QCOMPARE(Form().ProgressPercentage(), 100);
        const QImage bar = Child<QWidget>("ProgressPanel")->grab().toImage();
        QVERIFY(CountPixels(bar, QColor(0, 0, 128), 10) > bar.width() * bar.height() / 2);
    }

    void aFailedFileAsksToSkipOrStop() {
        Open();
        ShowFolder(pictures_, 4);
        Click(Item("kaputt.wmf"));
        Click(Item("plan.emf"), Qt::ControlModifier);
        QTest::mouseClick(Child<QPushButton>("AddBtn"), Qt::LeftButton);
        Form().SetOutputFolderText(*dir_ / "out");
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        OnNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == QStringLiteral("Abbrechen")) b->click();
            }
        });
        QTest::mouseClick(Child<QPushButton>("GoBtn"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Tarvold Metrovane"));
        QCOMPARE(icon, QMessageBox::Critical);
        // The error's text, and the file on a second line.
        QCOMPARE(text, QStringLiteral("Metadatei ist ungültig.\n") +
                           QString::fromStdString(pictures_ + "/kaputt.wmf"));
        QStringList lines = Child<QPlainTextEdit>("Memo1")->toPlainText().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(QStringLiteral("kaputt.wmf...")));
        QCOMPARE(lines[2], QStringLiteral("0 Dateien konvertiert, 1 fehlgeschlagen..."));
        QVERIFY(!fs::exists(*dir_ / "out/plan.dxf"));
        QVERIFY(window_->isVisible());
    }

    // A double click on "Dateien konvertieren!" converts once; Esc cancels
    // a run.
    void aSecondClickConvertsNothingMore() {
        Open();
        AddTwo();
        QTest::mouseClick(Child<QPushButton>("ConvertBtn"), Qt::LeftButton);
        auto* go = Child<QPushButton>("GoBtn");
        auto* memo = Child<QPlainTextEdit>("Memo1");
        auto lines = [&] { return memo->toPlainText().split('\n'); };
        Form().SetOutputFolderText(*dir_ / "doppelt");
        QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           go->mapTo(window_.get(), go->rect().center()));
        QTRY_VERIFY(!window_->Running());
        QTest::qWait(50);
        QCOMPARE(lines().size(), 3);
        QVERIFY(!fs::exists(*dir_ / "doppelt/plan0.dxf"));
        QCOMPARE(Child<QLabel>("StatusText")->toolTip(), QStringLiteral("2 Dateien konvertiert..."));

        // Esc while the first file is announced: nothing is left behind,
        // and the window stays.
        Form().SetOutputFolderText(*dir_ / "abgebrochen");
        auto esc = connect(memo, &QPlainTextEdit::textChanged, this, [&] {
            if (window_->Running() && Child<QPushButton>("CancelBtn")->isEnabled())
                QTest::keyClick(window_.get(), Qt::Key_Escape);
        });
        QTest::mouseClick(go, Qt::LeftButton);
        QTRY_VERIFY(!window_->Running());
        disconnect(esc);
        QVERIFY(window_->isVisible());
        QCOMPARE(lines().mid(4), QStringList({"Konvertierung abgebrochen.", "0 Dateien konvertiert..."}));
        QVERIFY(fs::is_empty(*dir_ / "abgebrochen"));
    }

    void aDropOfTwoFilesAndAFolderAddsThemInOrder() {
        Open();
        auto drop = [&](const std::vector<std::string>& paths) {
            QMimeData mime;
            QList<QUrl> urls;
            for (const std::string& path : paths)
                urls << QUrl::fromLocalFile(QString::fromStdString(path));
            mime.setUrls(urls);
            const QPoint at = Batch()->mapTo(window_.get(), Batch()->rect().center());
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window_.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window_.get(), &dropped);
        };
        WriteFile(pictures_ + "/Archiv/neu.EMF", DiagonalDrawing());
        drop({pictures_ + "/plan.emf", pictures_ + "/kaputt.wmf", pictures_ + "/Archiv"});
        QTRY_COMPARE(Batch()->count(), 4);
        QCOMPARE(Form().BatchEntries(),
                 (std::vector<std::string>{pictures_ + "/plan.emf", pictures_ + "/kaputt.wmf",
                                           pictures_ + "/Archiv/alt.wmf", pictures_ + "/Archiv/neu.EMF"}));
        // Ctrl+Z takes the drop back.
        Batch()->setFocus();
        QTest::keyClick(Batch(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Batch()->count(), 0);
    }

    void aProjectNamedOnTheCommandLineOpens() {
        const std::string project = pictures_ + "/projekt.mvn";
        TProject saved;
        saved.Entries = {pictures_ + "/plan.emf"};
        saved.OutputFolder = "/srv/dxf";
        WriteProjectFile(project, saved);
        Open();
        window_->OpenArguments({QString::fromStdString(project)});
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tarvold Metrovane 1.0 - [projekt.mvn]"));
        QCOMPARE(Batch()->count(), 1);
        QCOMPARE(Child<QLineEdit>("DirectoryEdit1")->text(), QStringLiteral("/srv/dxf"));
        // Metafiles named there go into the batch list.
        window_->OpenArguments({QString::fromStdString(pictures_ + "/diagonale.EMF")});
        QCOMPARE(Batch()->count(), 2);
    }

    void projectIsSavedAndOpenedAgain() {
        Open();
        AddTwo();
        Form().SetAutoCADVer(true);
        QVERIFY(Child<QCheckBox>("cbAutoCADVer")->isChecked());

        QString startFolder;
        OnNextModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            startFolder = dialog->directory().absolutePath();
            QVERIFY(dialog->nameFilters().first().contains(QStringLiteral("*.mvn")));
            // The shortcut letter of the type label is underlined, not shown as '&'.
            QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("fileTypeLabel"))->buddy());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("projekt"));
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(Child<QToolButton>("SaveBtn"), Qt::LeftButton);
        QCOMPARE(startFolder, QString::fromStdString(program_));
        const std::string project = program_ + "/projekt.mvn";
        QVERIFY(fs::exists(project));
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tarvold Metrovane 1.0 - [projekt.mvn]"));

        // New asks about the changed batch ("Nein": not saved), then empties it.
        Form().SetParseWhite(true);
        OnNextModal([](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Datei/Neu"));
            QVERIFY(box->text().startsWith(QStringLiteral("Änderungen am Projekt speichern?")));
            for (QAbstractButton* b : box->buttons()) {
                if (b->text().remove('&') == QStringLiteral("Nein")) b->click();
            }
        });
        QTest::mouseClick(Child<QToolButton>("NewBtn"), Qt::LeftButton);
        QCOMPARE(Batch()->count(), 0);
        QVERIFY(!Child<QCheckBox>("cbAutoCADVer")->isChecked());
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tarvold Metrovane 1.0 - [noname.mvn]"));

        // Open: nothing changed since New, so the dialog comes at once; it
        // starts in the folder of the last project.
        OnNextModal([&](QWidget* d) {
            auto* dialog = qobject_cast<QFileDialog*>(d);
            QVERIFY(dialog);
            startFolder = dialog->directory().absolutePath();
            // Typed, as a user does: the dialog may not have read the folder yet.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(project));
            static_cast<QDialog*>(dialog)->accept();
        });
        Activate();
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(startFolder, QString::fromStdString(program_));
        QCOMPARE(Batch()->count(), 2);
        QVERIFY(Child<QCheckBox>("cbAutoCADVer")->isChecked());
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tarvold Metrovane 1.0 - [projekt.mvn]"));
    }

    void aFavouriteThatIsGoneReportsTheSystemError() {
        const std::string gone = *dir_ / "weg/";
        std::ofstream(program_ + "/folders.dat") << gone << "\r\n" << pictures_ << "/\r\n";
        Open();
        auto* favourites = Child<QListWidget>("PrefListBox");
        QCOMPARE(favourites->count(), 2);
        QString text;
        OnNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            text = box->text();
            box->buttons().first()->click();
        });
        const QPoint first = favourites->visualItemRect(favourites->item(0)).center();
        QTest::mouseClick(favourites->viewport(), Qt::LeftButton, Qt::NoModifier, first);
        QTest::mouseDClick(favourites->viewport(), Qt::LeftButton, Qt::NoModifier, first);
        QVERIFY2(text.startsWith(QString::fromStdString(*dir_ / "weg: No such file or directory")) ||
                     text.startsWith(QString::fromStdString(*dir_ / "weg: ")),
                 qPrintable(QStringLiteral("box text: ") + text));
        // The other favourite leads to its folder, with Enter too.
        favourites->setCurrentRow(1);
        favourites->setFocus();
        QTest::keyClick(favourites, Qt::Key_Return);
        QCOMPARE(window_->Browser().SelectedFolder(), pictures_);
    }

    void theMessagePaneIsEditableAndTheSystemAppends() {
        Open();
        QTest::mouseClick(Child<QPushButton>("ConvertBtn"), Qt::LeftButton);
        auto* memo = Child<QPlainTextEdit>("Memo1");
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("Notiz"));
        QCOMPARE(Form().MemoLines(), std::vector<std::string>{"Notiz"});
        Form().SetOutputFolderText(*dir_ / "leer");
        QTest::mouseClick(Child<QPushButton>("GoBtn"), Qt::LeftButton);
        QCOMPARE(memo->toPlainText(), QStringLiteral("Notiz\n0 Dateien konvertiert..."));
    }

    void aboutBox() {
        Open();
        QString title;
        QSize size;
        QStringList texts;
        connect(window_.get(), &TMainWindow::AboutBoxOpened, this, [&](QDialog* box) {
            QTimer::singleShot(0, box, [&, box] {
                title = box->windowTitle();
                size = box->size();
                for (QLabel* l : box->findChildren<QLabel*>())
                    texts << l->text();
                QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
            });
        });
        QTest::mouseClick(Child<QPushButton>("AboutBtn"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Info"));
        QCOMPARE(size, QSize(298, 213));
        QVERIFY(texts.contains(QStringLiteral("Tarvold Metrovane")));
        QVERIFY(texts.contains(QStringLiteral("Version 1.0.0.0")));
        QVERIFY(texts.contains(QStringLiteral("Release (mm/dd/yyyy) : 03/28/2006")));
        QVERIFY(!window_->AboutBox());
    }

    void escapeQuitsAndKeepsTheSettings() {
        // Nothing changed: Esc quits at once.
        Open();
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
        window_.reset();

        Open();
        auto* edit = Child<QLineEdit>("DirectoryEdit1");
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral(" /srv/ausgabe "));
        window_->resize(700, 540);
        // A changed batch: asked first; "Abbrechen" keeps the window, "Nein"
        // quits without saving.
        for (const QString& answer : {QStringLiteral("Abbrechen"), QStringLiteral("Nein")}) {
            OnNextModal([answer](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), QStringLiteral("Beenden"));
                for (QAbstractButton* b : box->buttons()) {
                    if (b->text().remove('&') == answer) b->click();
                }
            });
            Activate();
            QTest::keyClick(window_.get(), Qt::Key_Escape);
            QCOMPARE(window_->isVisible(), answer == QStringLiteral("Abbrechen"));
        }
        QVERIFY(Form().Closed());
        QCOMPARE(settings_->Peek("TMainForm", "DirectoryEdit1_Text").value_or(""),
                 std::string("/srv/ausgabe"));

        // The next start shows the stored folder and size.
        window_.reset();
        Open();
        QCOMPARE(Child<QLineEdit>("DirectoryEdit1")->text(), QStringLiteral("/srv/ausgabe"));
        QCOMPARE(window_->size(), QSize(700, 540));
    }
};

MV_GUI_TEST(TWindowTest);

#include "WindowTest.moc"
