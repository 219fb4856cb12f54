// Tarvold Metrovane: the desktop window.

#include "app/MainFormTexts.h"
#include "app/Version.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <string_view>

namespace {

// --version and --help answer without a display, as a tool's do.
bool AnsweredWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") return false;
        if (arg == "-V" || arg == "--version") {
            std::printf("metrovane-gui %s\n", mv::ProgramVersion);
            return true;
        }
        if (arg == "-h" || arg == "--help") {
            std::fputs("Aufruf: metrovane-gui [QT-OPTIONEN] [PROJEKT.mvn | EINGABE...]\n"
                       "Das Fenster von Tarvold Metrovane: wandelt EMF- und WMF-Dateien\n"
                       "in DXF-Zeichnungen um.\n\n"
                       "  -h, --help     diese Hilfe zeigen und beenden\n"
                       "  -V, --version  Versionsnummer zeigen und beenden\n\n"
                       "Die Befehlszeile ist metrovane; mehr in \"man metrovane-gui\".\n",
                       stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (AnsweredWithoutWindow(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("metrovane-gui"));
    QApplication::setApplicationVersion(QString::fromLatin1(mv::ProgramVersion));
    QApplication::setDesktopFileName(QStringLiteral("metrovane-gui"));
    // The user interface is German, also Qt's own texts where it has them.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    mv::TMainWindow window;
    window.show();
    // "metrovane-gui plan.mvn" opens the project, "metrovane-gui a.emf b.wmf"
    // fills the batch list; once the window is up, so that a message about
    // a file that cannot be opened has the window behind it.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        QTimer::singleShot(0, &window, [&window, arguments] { window.OpenArguments(arguments); });
    return app.exec();
}
