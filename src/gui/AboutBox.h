#pragma once
// The about box "Info": a fixed-size dialog with the program icon, the
// product name, the version, the maker and the release date.

#include <QDialog>

class QLabel;
class QPushButton;

namespace mv {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QPushButton* OkButton() const { return okBtn_; }

private:
    QPushButton* okBtn_;
};

} // namespace mv
