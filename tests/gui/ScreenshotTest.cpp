// Screenshots of the window on a real (virtual) X display: both pages, the
// about box and both pages maximised, saved as PNG files into the folder
// given as argument, so that anyone can look at them.

#include "FakePlatform.h"
#include "GuiSamples.h"
#include "TestUtil.h"
#include "app/MainForm.h"
#include "gui/MainWindow.h"
#include "gui/PreviewPanel.h"
#include "gui/QtFileBrowser.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>

using namespace mv;
using namespace mv::test;

namespace {

bool Save(QWidget* w, const QString& path) {
    const QPixmap shot = w->grab();
    const bool ok = !shot.isNull() && shot.save(path);
    std::printf("%s %s (%dx%d)\n", ok ? "saved" : "FAILED", qPrintable(path), shot.width(), shot.height());
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    TTempDir dir;
    const std::string pictures = dir / "Bilder";
    const std::string output = dir / "Ausgabe";
    std::filesystem::create_directories(pictures);
    std::filesystem::create_directories(dir / "Bilder/Archiv");
    WriteFile(pictures + "/plan.emf", SampleDrawing());
    WriteFile(pictures + "/diagonale.EMF", DiagonalDrawing());
    WriteFile(pictures + "/kaputt.wmf", {1, 2, 3, 4});

    TFakeShell shell;
    shell.ProgramFolderValue = dir / "programm/";
    shell.DocumentsFolderValue = output;
    TMemorySettings settings;
    TScriptedDialogs dialogs;
    TMainWindow window({&shell, &settings, &dialogs});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;

    window.Browser().SetSelectedFolder(pictures);
    QTest::qWait(300); // the file system model reads the folder
    window.Browser().SelectNames({QStringLiteral("plan.emf"), QStringLiteral("diagonale.EMF")});
    window.Form().AddBtnClick();
    window.Browser().SelectNames({QStringLiteral("plan.emf")});
    if (!QTest::qWaitFor([&] { return !window.Preview().Busy(); }, 10000))
        std::printf("preview still busy\n");
    QTest::qWait(200);

    bool ok = Save(&window, outDir + QStringLiteral("/screenshot-page1.png"));

    window.Form().ConvertBtnClick();
    window.Form().GoBtn1Click();
    QTest::qWait(200);
    ok = Save(&window, outDir + QStringLiteral("/screenshot-page2.png")) && ok;

    QObject::connect(&window, &TMainWindow::AboutBoxOpened, &window, [&](QDialog* box) {
        QTimer::singleShot(300, box, [&, box] {
            ok = Save(box, outDir + QStringLiteral("/screenshot-about.png")) && ok;
            box->accept();
        });
    });
    window.Form().AboutBtnClick();

    // Maximised: the lists, the preview and the message pane take the room.
    // Without a window manager nobody honours the request; then the window
    // is given the screen's size as a window manager would.
    window.showMaximized();
    const QSize screen = window.screen()->availableGeometry().size();
    if (!QTest::qWaitFor([&] { return window.width() > 630; }, 1000)) window.resize(screen);
    QTest::qWait(300);
    ok = Save(&window, outDir + QStringLiteral("/screenshot-maximised-page2.png")) && ok;
    window.Form().SetActivePage(0);
    QTest::qWait(300);
    ok = Save(&window, outDir + QStringLiteral("/screenshot-maximised-page1.png")) && ok;
    return ok ? 0 : 1;
}
