#include "gui/AboutBox.h"

#include "app/MainFormTexts.h"
#include "gui/Artwork.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace mv {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromUtf8(ui::AboutCaption));
    setFixedSize(ui::AboutWidth, ui::AboutHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 161);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, QColor(ui::HeaderColor.R, ui::HeaderColor.G, ui::HeaderColor.B));
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 33, 33);
    icon->setPixmap(art::AppIcon().pixmap(33, 33));
    icon->setScaledContents(true);

    auto label = [panel](const char* name, const char* text, int x, int y, bool bold) {
        auto* l = new QLabel(QString::fromUtf8(text), panel);
        l->setObjectName(QString::fromLatin1(name));
        l->move(x, y);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        l->adjustSize();
        return l;
    };
    label("ProductName", ui::AboutProductName, 56, 12, true);
    label("Version", ui::AboutVersion, 56, 32, false);
    label("Copyright", ui::AboutMaker, 8, 64, false);
    label("Comments", ui::AboutContact, 8, 86, false);
    label("Release", ui::AboutRelease, 8, 132, false);

    okBtn_ = new QPushButton(QString::fromUtf8(ui::AboutOkCaption), this);
    okBtn_->setObjectName(QStringLiteral("OKButton"));
    okBtn_->setGeometry(111, 180, 75, 25);
    okBtn_->setDefault(true);
    connect(okBtn_, &QPushButton::clicked, this, &QDialog::accept);

    // Centred on the screen, not on the main window.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

} // namespace mv
