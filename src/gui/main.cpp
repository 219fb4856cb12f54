// Tarvold Metrovane: the desktop window.

#include "app/MainFormTexts.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("metrovane-gui"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
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
