#include "gui/QtDialogs.h"

#include "app/MainFormTexts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace mv {

namespace {

QMessageBox::Icon QtIcon(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TMsgResult TQtDialogs::MessageBox(const std::string& text, const std::string& caption, TMsgIcon icon,
                                  TMsgButtons buttons) {
    QMessageBox box(parent_);
    box.setIcon(QtIcon(icon));
    box.setWindowTitle(Q(caption.empty() ? std::string(ui::ApplicationTitle) : caption));
    box.setText(Q(text));
    // The buttons in order, with what each answers; the first is the
    // default, the last (Cancel, or OK alone) answers Esc and closing.
    std::vector<std::pair<QPushButton*, TMsgResult>> answers;
    auto add = [&](const char* caption, QMessageBox::ButtonRole role, TMsgResult result) {
        answers.emplace_back(box.addButton(QString::fromUtf8(caption), role), result);
    };
    switch (buttons) {
    case TMsgButtons::OK:
        add("OK", QMessageBox::AcceptRole, TMsgResult::OK);
        break;
    case TMsgButtons::OKCancel:
        add("OK", QMessageBox::AcceptRole, TMsgResult::OK);
        add("Abbrechen", QMessageBox::RejectRole, TMsgResult::Cancel);
        break;
    case TMsgButtons::YesNoCancel:
        add("&Ja", QMessageBox::YesRole, TMsgResult::Yes);
        add("&Nein", QMessageBox::NoRole, TMsgResult::No);
        add("Abbrechen", QMessageBox::RejectRole, TMsgResult::Cancel);
        break;
    case TMsgButtons::SkipCancel:
        add("Ü&berspringen", QMessageBox::AcceptRole, TMsgResult::Skip);
        add("Abbrechen", QMessageBox::RejectRole, TMsgResult::Cancel);
        break;
    }
    box.setDefaultButton(answers.front().first);
    box.setEscapeButton(answers.back().first);
    box.exec();
    // Closing the box without a choice counts as its escape button.
    for (const auto& [button, result] : answers) {
        if (box.clickedButton() == button) return result;
    }
    return answers.back().second;
}

QStringList TQtDialogs::QtNameFilters(const std::string& filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& raw : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = raw.trimmed();
            for (const QString& p : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!p.isEmpty() && !patterns.contains(p)) patterns << p;
            }
        }
        result << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(QLatin1Char(' ')));
    }
    return result;
}

std::optional<std::string> TQtDialogs::FileDialog(const TFileDialogOptions& options, bool save) {
    QFileDialog dialog(parent_);
    dialog.setWindowTitle(!options.Title.empty() ? Q(options.Title)
                          : save                 ? QStringLiteral("Projekt Datei speichern unter")
                                                 : QStringLiteral("Projekt Datei öffnen"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog too takes the name of a file that does not exist: the
    // caller reports that it cannot be opened.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(options.Filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!options.DefaultExt.empty()) dialog.setDefaultSuffix(Q(options.DefaultExt));
    if (!options.InitialDir.empty()) dialog.setDirectory(Q(options.InitialDir));
    dialog.setLabelText(QFileDialog::Accept, save ? QStringLiteral("&Speichern") : QStringLiteral("Ö&ffnen"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Datei&name:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Datei&typ:"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    // The type label has no buddy of its own, and without one it shows the
    // '&' instead of underlining the shortcut letter.
    auto* typeLabel = dialog.findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
    auto* typeCombo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (typeLabel && typeCombo)
        typeLabel->setBuddy(typeCombo);
    else if (typeLabel)
        typeLabel->setText(QStringLiteral("Dateityp:"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> TQtDialogs::OpenFileDialog(const TFileDialogOptions& options) {
    return FileDialog(options, false);
}

std::optional<std::string> TQtDialogs::SaveFileDialog(const TFileDialogOptions& options) {
    return FileDialog(options, true);
}

std::optional<std::string> TQtDialogs::FolderDialog(const std::string& title,
                                                    const std::string& startFolder) {
    QFileDialog dialog(parent_);
    dialog.setWindowTitle(Q(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!startFolder.empty()) dialog.setDirectory(Q(startFolder));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Auswählen"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("&Ordner:"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace mv
