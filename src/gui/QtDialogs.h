#pragma once
// Message boxes, the project file dialogs and the folder picker with Qt.

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace mv {

class TQtDialogs : public IDialogs {
public:
    // Boxes and dialogs are modal to parent (may be null). A box without a
    // caption of its own is captioned with the application title.
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgIcon icon,
                          TMsgButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> FolderDialog(const std::string& title,
                                            const std::string& startFolder) override;

    // "MVN Projekt Dateien|*.MVN" as Qt name filters: "MVN Projekt Dateien
    // (*.MVN *.mvn)". Each pattern also in lower and upper case, because
    // the patterns are meant without regard to letter case.
    static QStringList QtNameFilters(const std::string& filter);

private:
    std::optional<std::string> FileDialog(const TFileDialogOptions& options, bool save);

    QWidget* parent_;
};

} // namespace mv
