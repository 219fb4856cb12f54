#pragma once
// Message boxes and the common dialogs, as the main window asks for them.
// The window program implements them with its toolkit; tests use a scripted
// stand-in.

#include <optional>
#include <string>

namespace mv {

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons {
    OK,
    OKCancel,
    YesNoCancel, // "Ja", "Nein", "Abbrechen"
    SkipCancel,  // "Überspringen", "Abbrechen"
};
enum class TMsgResult { OK, Cancel, Yes, No, Skip };

struct TFileDialogOptions {
    // Pairs of description and patterns, separated by '|'; the patterns of
    // one entry are separated by ';' ("MVN Projekt Dateien|*.MVN"). Patterns
    // match without regard to letter case.
    std::string Filter;
    // Added to a name typed without an extension ("mvn").
    std::string DefaultExt;
    // The folder shown first; empty for the toolkit's choice.
    std::string InitialDir;
    // The dialog's caption; empty for the toolkit's default.
    std::string Title;
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A modal message box. An empty caption means the default caption (the
    // application title). Closing the box without a choice counts as OK with
    // OK alone and as Cancel otherwise.
    virtual TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgIcon icon,
                                  TMsgButtons buttons) = 0;
    // The full path of the chosen file, or nothing when cancelled. The open
    // dialog accepts a typed name of a file that does not exist.
    virtual std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) = 0;
    // As the open dialog; asks before an existing file is overwritten.
    virtual std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) = 0;
    // The chosen folder, or nothing when cancelled.
    virtual std::optional<std::string> FolderDialog(const std::string& title,
                                                    const std::string& startFolder) = 0;
};

} // namespace mv
