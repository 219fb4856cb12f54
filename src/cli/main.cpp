// metrovane: the command line of the converter.

#include "app/BatchInputs.h"
#include "app/BatchRun.h"
#include "app/MainFormTexts.h"
#include "app/ProjectFile.h"
#include "app/Version.h"
#include "cli/HelpWrap.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/DisplayText.h"
#include "platform/FileAccess.h"
#include "platform/OutputFile.h"
#include "platform/Shell.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr unsigned MaxJobs = 1024;
// The word that stands for standard input (as the only input) and for
// standard output (as -o's folder).
const std::string StreamWord = "-";
// Standard input's name in messages; its output is named after it.
const std::string StdinName = "stdin";
const std::string StdoutName = "stdout";

// A usage error found after CLI11 has parsed (a bad folder listing is not one).
struct TUsageError {
    std::string Message;
};

// The switches a batch is converted with, as convert and project create
// take them.
struct TSwitchArgs {
    std::string Output;
    mv::TBatchOptions Options;
    CLI::Option* Mm = nullptr;
    CLI::Option* NoMm = nullptr;

    // --mm and --no-mm: the last one given wins.
    void TakeUnitSwitch(const CLI::App& cmd) {
        for (const CLI::Option* option : cmd.parse_order()) {
            if (option == Mm) Options.Use01MM = true;
            if (option == NoMm) Options.Use01MM = false;
        }
    }
};

// How a batch is run: convert and run take these.
struct TRunArgs {
    std::string Jobs = "1";
    bool KeepGoing = false;
    bool Quiet = false;
    bool Verbose = false;
    bool Overwrite = false;
    bool Classic = false;
    bool NoImages = false;
};

// Where a batch of convert reads and writes: files, or a standard stream.
struct TStreams {
    bool FromStdin = false;
    bool ToStdout = false;
};

// The inputs of convert and project create: the words on the command line,
// then the lines of --files-from.
struct TInputArgs {
    std::vector<std::string> Words;
    std::string FilesFrom;
    CLI::Option* FilesFromOption = nullptr;
};

std::string CurrentFolder() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string(".") : cwd.string();
}

// A folder input stands for its *.emf and *.wmf files (any letter case),
// sorted by name; anything else is taken as a file, so that a missing file
// is reported by the conversion with its own message.
std::vector<std::string> ExpandInputs(const std::vector<std::string>& inputs) {
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        if (!mv::DirectoryExists(input)) {
            files.push_back(input);
            continue;
        }
        std::vector<std::string> found = mv::MetafilesInFolder(input);
        if (found.empty())
            std::cerr << "metrovane: Ordner " << mv::EscapeControlChars(input)
                      << " enthält keine EMF- oder WMF-Dateien\n";
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

// Shows "[done/total] percent" on a terminal, on stderr, and takes it away
// before a message line so that the lines stay clean. Message lines go to
// `messages` (stdout, or stderr when stdout carries a drawing).
class TProgressLine {
public:
    TProgressLine(std::size_t total, std::ostream& messages)
        : total_(total), enabled_(::isatty(STDERR_FILENO) == 1), messages_(messages) {}
    ~TProgressLine() { Clear(); }

    void Message(const std::string& line) {
        Clear();
        messages_ << mv::EscapeControlChars(line) << '\n' << std::flush;
        Redraw();
    }
    void Error(const std::string& text) {
        Clear();
        std::cerr << mv::EscapeControlChars(text) << '\n' << std::flush;
        Redraw();
    }
    void Step(int percent) {
        ++done_;
        percent_ = percent;
        Redraw();
    }

private:
    void Clear() {
        if (!shown_) return;
        std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }
    void Redraw() {
        if (!enabled_ || done_ == 0) return;
        std::cerr << "\r[" << done_ << '/' << total_ << "] " << percent_ << '%' << std::flush;
        shown_ = true;
    }

    std::size_t total_;
    std::size_t done_ = 0;
    int percent_ = 0;
    bool enabled_;
    std::ostream& messages_;
    bool shown_ = false;
};

// Runs a batch as the window does, with the command line's extras; returns
// the exit status.
int RunBatch(const std::vector<std::string>& files, const std::string& output,
             const mv::TBatchOptions& options, const TRunArgs& args, unsigned jobs,
             const TStreams& streams = {}) {
    TProgressLine progress(files.size(), streams.ToStdout ? std::cerr : std::cout);
    bool reported = false;
    mv::TBatchRunner runner;
    runner.Options = options;
    runner.Options.Classic = args.Classic;
    runner.Options.Images = !args.NoImages;
    runner.ShowImageFiles = args.Verbose;
    runner.OutputFolder = output;
    runner.ProgramFolder = mv::ProgramFolder();
    runner.Jobs = jobs;
    runner.KeepGoing = args.KeepGoing;
    runner.ShowOutputName = args.Verbose;
    runner.Overwrite = args.Overwrite;
    if (streams.FromStdin)
        runner.LoadInput = [](mv::TmvDXFExport& exporter, const std::string& name) {
            exporter.AdoptMetafile(mv::TEnhMetafile::LoadFromStandardInput(
                name, {.Classic = exporter.InterpretSettings().Classic}));
        };
    if (streams.ToStdout) {
        // The whole drawing is made in memory first, so that a failed
        // conversion leaves standard output empty. Files written beside a
        // drawing (its pictures) have no place on standard output: this is
        // where they are to be left out, with a warning.
        runner.SaveOutput = [&progress](mv::TmvDXFExport& exporter) {
            const std::string drawing = exporter.SaveToString();
            if (const std::size_t n = exporter.ImagesLeftOut(); n > 0)
                progress.Error("metrovane: Warnung: " + std::to_string(n) +
                               (n == 1 ? " Bild ausgelassen" : " Bilder ausgelassen") +
                               ": bei Ausgabe auf die Standardausgabe werden keine Bilddateien geschrieben");
            mv::WriteStandardOutput(drawing);
        };
        runner.SaveOutputName = StdoutName;
    }
    runner.OnMessage = [&progress, &args](const std::string& line) {
        if (!args.Quiet) progress.Message(line);
    };
    // Quiet leaves out the terminal's progress line too: only errors remain.
    runner.OnProgress = [&progress, &args](int percent) {
        if (!args.Quiet) progress.Step(percent);
    };
    runner.OnWarning = [&progress](const std::string& path, const std::string& message) {
        progress.Error("metrovane: Warnung: " + path + ": " + message);
    };
    runner.OnFailure = [&](const std::string& path, const std::string& message) {
        progress.Error("metrovane: " + path + ": " + message);
        reported = true;
    };
    try {
        mv::TBatchResult result = runner.Run(files);
        if (result.Outcome == mv::TBatchOutcome::OutputFolderFailed) {
            progress.Error("metrovane: " + std::string(mv::msg::OutputFolderFailed) + " (" + output + ")");
            return ExitFailed;
        }
        return result.Failed == 0 ? ExitOk : ExitFailed;
    } catch (const std::exception& e) {
        if (!reported) progress.Error(std::string("metrovane: ") + e.what());
        return ExitFailed;
    }
}

// One path a line; blank lines are skipped and a CR before the line end is
// dropped, so that lists written on Windows read the same.
std::vector<std::string> ReadFileList(const std::string& listPath) {
    std::ifstream file;
    if (listPath != "-") {
        file.open(listPath, std::ios::binary);
        if (!file.is_open())
            throw std::runtime_error("Dateiliste " + listPath + " kann nicht geöffnet werden");
    }
    std::istream& in = listPath == "-" ? std::cin : file;
    std::vector<std::string> paths;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
    }
    if (in.bad()) throw std::runtime_error("Dateiliste " + listPath + " kann nicht gelesen werden");
    return paths;
}

std::vector<std::string> AllInputs(const TInputArgs& inputs) {
    std::vector<std::string> all = inputs.Words;
    if (inputs.FilesFromOption->count() > 0) {
        const std::vector<std::string> listed = ReadFileList(inputs.FilesFrom);
        all.insert(all.end(), listed.begin(), listed.end());
    } else if (all.empty()) {
        throw TUsageError{"Keine Eingabe angegeben (Dateien oder Ordner)"};
    }
    return ExpandInputs(all);
}

// "-" as an input: true when it is the only one, a usage error when there
// are others.
bool ReadsStandardInput(const TInputArgs& inputs) {
    if (std::find(inputs.Words.begin(), inputs.Words.end(), StreamWord) == inputs.Words.end()) return false;
    if (inputs.Words.size() > 1 || inputs.FilesFromOption->count() > 0)
        throw TUsageError{"Die Standardeingabe (-) kann nur die einzige Eingabe sein"};
    // A metafile is binary: typed on a terminal it would only be waited for.
    if (::isatty(STDIN_FILENO) == 1)
        throw TUsageError{"Die Standardeingabe ist ein Terminal; die Metadatei umleiten, etwa: "
                          "metrovane convert - < bild.emf"};
    return true;
}

unsigned ParseJobs(const std::string& text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxJobs)
        throw TUsageError{"--jobs erwartet eine ganze Zahl von 1 bis " + std::to_string(MaxJobs) +
                          ", nicht " + text};
    return value;
}

// The run's options that CLI11 cannot check alone.
unsigned CheckRunArgs(const TRunArgs& args) {
    if (args.Quiet && args.Verbose) throw TUsageError{"--quiet und --verbose schließen einander aus"};
    return ParseJobs(args.Jobs);
}

// convert takes --pen-ratio and standard output; project create neither.
void AddSwitchOptions(CLI::App& cmd, TSwitchArgs& args, bool convert) {
    cmd.add_option("-o,--output", args.Output,
                   convert ? "Ausgabeordner (Vorgabe: der aktuelle Ordner), wird angelegt; \"-\" schreibt "
                             "die DXF-Datei der einen Eingabe auf die Standardausgabe"
                           : "Ausgabeordner (Vorgabe: der aktuelle Ordner), wird angelegt")
        ->type_name("ORDNER");
    cmd.add_flag("--r14", args.Options.R14, "DXF R14 (AC1014) statt R2000 (AC1015) schreiben");
    cmd.add_flag("--white", args.Options.ParseWhite,
                 "Weiß umsetzen: weiß gefüllte Rechtecke verdecken, was darunter liegt");
    args.Mm = cmd.add_flag("--mm")->description(
        "Metadatei speichert Größe in 0,01 mm: Koordinaten durch 100 teilen (Vorgabe)");
    args.NoMm = cmd.add_flag("--no-mm")->description("Koordinaten ungeteilt übernehmen");
    cmd.add_flag("--black250", args.Options.AlternativeBlack,
                 "Alternativer Palettenindex für Schwarz: 250 statt 7");
    if (!convert) return;
    cmd.add_option("--pen-ratio", args.Options.PenWidthRatio,
                   "Verhältnis von Stiftbreite zu Linienstärke (Vorgabe: -1, aus); Dezimalpunkt '.'")
        ->type_name("X")
        ->check(CLI::Validator(
            [](std::string& text) {
                long double value = 0;
                return mv::TryParsePenRatio(text, value) ? std::string() : "keine Zahl: " + text;
            },
            "", "Zahl"));
}

void AddRunOptions(CLI::App& cmd, TRunArgs& args) {
    cmd.add_flag("--keep-going", args.KeepGoing,
                 "nach einer fehlgeschlagenen Datei weitermachen (Vorgabe: beim ersten Fehler anhalten); "
                 "die letzte Zeile zählt dann auch die Fehlschläge");
    cmd.add_option("-j,--jobs", args.Jobs,
                   "N Dateien gleichzeitig umwandeln; Namen, Inhalte und Meldungen bleiben die eines Laufs "
                   "nacheinander (Vorgabe: 1)")
        ->type_name("N");
    cmd.add_flag("-q,--quiet", args.Quiet, "nur Fehler melden");
    cmd.add_flag("-v,--verbose", args.Verbose,
                 "zu jeder Eingabe auch die Ausgabedatei nennen (Konvertiere a.emf -> aus/a.dxf)");
    cmd.add_flag("--classic", args.Classic,
                 "klassische Umsetzung: nur die Grundbefehle, in logischen Einheiten, wie frühere Fassungen");
    cmd.add_flag("--no-images", args.NoImages,
                 "Bitmaps des Bildes auslassen, statt sie als PNG-Dateien neben die DXF-Datei zu schreiben "
                 "(die klassische Umsetzung schreibt nie Bilder)");
    cmd.add_flag("--overwrite", args.Overwrite,
                 "eine vorhandene DXF-Datei gleichen Namens ersetzen statt zu nummerieren; die alte bleibt, "
                 "bis die neue vollständig ist");
}

void AddInputOptions(CLI::App& cmd, TInputArgs& args, bool withStdin) {
    cmd.add_option("EINGABE", args.Words,
                   withStdin ? "Metadateien (.emf, .wmf) oder Ordner; \"-\" als einzige Eingabe liest eine "
                               "Metadatei von der Standardeingabe (Ausgabe: stdin.dxf)"
                             : "Metadateien (.emf, .wmf) oder Ordner")
        ->type_name("");
    args.FilesFromOption =
        cmd.add_option("--files-from", args.FilesFrom,
                       "weitere Eingaben aus DATEI lesen, eine je Zeile; \"-\" liest die Standardeingabe")
            ->type_name("DATEI");
}

void SetGermanLabels(CLI::App& app) {
    auto formatter = app.get_formatter();
    formatter->label("Usage", "Aufruf");
    formatter->label("OPTIONS", "OPTIONEN");
    formatter->label("SUBCOMMAND", "BEFEHL");
    formatter->label("SUBCOMMANDS", "BEFEHLE");
    formatter->label("Positionals", "Argumente");
    formatter->label("REQUIRED", "ERFORDERLICH");
    formatter->label("TEXT", "TEXT");
    formatter->label("Needs", "Benötigt");
    formatter->label("Excludes", "Schließt aus");
    formatter->column_width(28);
    app.option_defaults()->group("Optionen");
    app.set_help_flag("-h,--help", "diese Hilfe zeigen und beenden");
}

// CLI11's own texts are English; the user reads German. `args` are the
// command line's words after the program name.
std::string GermanParseError(const CLI::ParseError& e, const std::vector<std::string>& args) {
    const std::string what = e.what();
    auto after = [&what](const std::string& marker) {
        std::string::size_type at = what.find(marker);
        return at == std::string::npos ? std::string() : what.substr(at + marker.size());
    };
    auto before = [&what](char mark) {
        std::string::size_type at = what.find(mark);
        return at == std::string::npos ? std::string() : what.substr(0, at);
    };
    auto word = [&args](std::size_t i) {
        return i < args.size() && !args[i].empty() && args[i].front() != '-' ? args[i] : std::string();
    };
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
        if (what.find("subcommand") != std::string::npos) {
            if (word(0) == "project") {
                if (!word(1).empty()) return "Unbekannter Befehl: project " + word(1) + " (show, create)";
                return "Kein Befehl angegeben (project show, project create)";
            }
            if (!word(0).empty()) return "Unbekannter Befehl: " + word(0);
            return "Kein Befehl angegeben (convert, run, project)";
        }
        const std::string name = before(' ');
        if (name == "EINGABE") return "Keine Eingabe angegeben (Dateien oder Ordner)";
        if (name == "PROJEKT") return "Keine Projektdatei angegeben";
        return "Eine erforderliche Angabe fehlt: " + name;
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) return "Unerwartete Angabe: " + after(": ");
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
        return "Fehlender oder überzähliger Wert bei " + before(':');
    if (dynamic_cast<const CLI::ConversionError*>(&e)) return "Ungültiger Wert: " + after(": ");
    if (dynamic_cast<const CLI::ValidationError*>(&e)) return "Ungültiger Wert für " + what;
    return "Ungültiger Aufruf";
}

// An absolute form of a path typed relative to the current folder, so that
// a project can be run from anywhere; "." parts are dropped, ".." kept.
std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) return path;
    fs::path clean;
    for (const fs::path& part : absolute)
        if (!part.empty() && part != ".") clean /= part;
    return clean.string();
}

const char* YesNo(bool value) {
    return value ? "ja" : "nein";
}

// The stored batch, its output folder and its switches, with the window's
// captions of the switches.
void ShowProject(const std::string& path) {
    const mv::TProject project = mv::ReadProjectFile(path);
    std::cout << "Projekt: " << mv::EscapeControlChars(path) << '\n';
    std::cout << "Dateien: " << project.Entries.size() << '\n';
    for (const std::string& entry : project.Entries)
        std::cout << "  " << mv::EscapeControlChars(entry) << '\n';
    std::cout << "Ausgabeordner: "
              << (project.OutputFolder.empty() ? std::string("(leer: der Programmordner)")
                                               : mv::EscapeControlChars(project.OutputFolder))
              << '\n';
    std::cout << mv::ui::AutoCADVerCaption << ": " << YesNo(project.Options.R14) << '\n';
    std::cout << mv::ui::ParseWhiteCaption << ": " << YesNo(project.Options.ParseWhite) << '\n';
    std::cout << mv::ui::Use01MMCaption << ": " << YesNo(project.Options.Use01MM) << '\n';
    std::cout << mv::ui::AlternativeBlackCaption << ": " << YesNo(project.Options.AlternativeBlack) << '\n';
}

void CreateProject(const std::string& path, const TSwitchArgs& switches, const TInputArgs& inputs) {
    // A project is run later, from anywhere: a stream cannot be kept in it.
    if (std::find(inputs.Words.begin(), inputs.Words.end(), StreamWord) != inputs.Words.end() ||
        switches.Output == StreamWord)
        throw TUsageError{
            "Die Standardein- und -ausgabe (-) gibt es nur bei convert, nicht in einer Projektdatei"};
    mv::TProject project;
    for (const std::string& file : AllInputs(inputs))
        project.Entries.push_back(AbsolutePath(file));
    // An empty folder text stays empty: the program folder at run time.
    project.OutputFolder = switches.Output.empty() ? std::string() : AbsolutePath(switches.Output);
    project.Options = switches.Options;
    mv::WriteProjectFile(path, project);
    std::cout << "Projekt " << mv::EscapeControlChars(path) << " gespeichert: " << project.Entries.size()
              << " Dateien\n";
}

// A word as the user would type it again into a shell.
std::string ShellWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\n'\"\\$`*?[]{}()<>|&;#~") == std::string::npos) return word;
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

const CLI::App* FindCommand(const CLI::App& parent, const std::string& name) {
    for (const CLI::App* cmd : parent.get_subcommands({}))
        if (cmd->check_name(name)) return cmd;
    return nullptr;
}

// "metrovane -o DIR convert x.emf": options of a command typed before the
// command. The message names the command they belong to and shows the line
// with them moved behind it; empty when the line has no such option.
std::string MisplacedOptions(const CLI::App& app, const std::vector<std::string>& args) {
    std::size_t at = 0; // the first word of the command (args.size(): none)
    const CLI::App* cmd = nullptr;
    for (; at < args.size(); ++at)
        if (args[at] == "--" || (cmd = FindCommand(app, args[at])) != nullptr) break;
    std::size_t after = at + 1; // where the moved options go
    if (cmd != nullptr && after < args.size())
        if (const CLI::App* leaf = FindCommand(*cmd, args[after])) {
            cmd = leaf;
            ++after;
        }

    std::vector<std::string> moved, names, before;
    std::vector<std::string> owners; // commands that know an option, when none was typed
    for (std::size_t i = 0; i < std::min(at, args.size()); ++i) {
        const std::string& word = args[i];
        const std::string name = word.substr(0, word.find('='));
        const CLI::Option* option = nullptr;
        if (word.size() > 1 && word[0] == '-' && app.get_option_no_throw(name) == nullptr) {
            if (cmd != nullptr) {
                option = cmd->get_option_no_throw(name);
            } else {
                for (const CLI::App* top : app.get_subcommands({})) {
                    std::vector<const CLI::App*> commands = top->get_subcommands({});
                    commands.insert(commands.begin(), top);
                    for (const CLI::App* c : commands)
                        if (const CLI::Option* o = c->get_option_no_throw(name)) {
                            option = o;
                            owners.push_back(c == top ? c->get_name()
                                                      : top->get_name() + " " + c->get_name());
                        }
                }
            }
        }
        if (option == nullptr) {
            before.push_back(word);
            continue;
        }
        names.push_back(name);
        moved.push_back(word);
        if (word == name && option->get_expected_min() > 0 && i + 1 < at) moved.push_back(args[++i]);
    }
    if (names.empty()) return {};

    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "" : ", ") + n;
    const bool one = names.size() == 1;
    if (cmd == nullptr) {
        std::sort(owners.begin(), owners.end());
        owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
        std::string commands;
        for (const std::string& o : owners)
            commands += (commands.empty() ? "" : ", ") + o;
        return std::string(one ? "Die Option " : "Die Optionen ") + list + (one ? " gehört" : " gehören") +
               " hinter einen Befehl (" + commands + ")";
    }
    const std::string where = std::string(one ? "Die Option " : "Die Optionen ") + list +
                              (one ? " gehört" : " gehören") + " hinter den Befehl";
    // Another option before the command that the command does not know: a
    // moved line would still be wrong, so only the command is named.
    for (const std::string& w : before)
        if (w.size() > 1 && w[0] == '-')
            return where + " " + (cmd->get_parent() == &app ? "" : cmd->get_parent()->get_name() + " ") +
                   cmd->get_name();
    std::string line = "metrovane";
    for (const std::string& w : before)
        line += " " + ShellWord(w);
    for (std::size_t i = at; i < after; ++i)
        line += " " + ShellWord(args[i]);
    for (const std::string& w : moved)
        line += " " + ShellWord(w);
    for (std::size_t i = after; i < args.size(); ++i)
        line += " " + ShellWord(args[i]);
    return where + ": " + line;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app(std::string("Tarvold Metrovane ") + mv::ProgramVersion +
                     ": wandelt Vektorbilder im EMF- und WMF-Format in DXF-Zeichnungen um.",
                 "metrovane");
    SetGermanLabels(app);
    app.set_version_flag("-V,--version", std::string("metrovane ") + mv::ProgramVersion,
                         "Versionsnummer zeigen und beenden");
    app.require_subcommand(1);
    app.footer("\"metrovane BEFEHL --help\" zeigt die Optionen eines Befehls.");
    const std::string exitStatus =
        "Exit-Status: 0 alle Dateien umgewandelt, 1 eine Datei fehlgeschlagen, 2 falscher Aufruf.";
    auto command = [](CLI::App& parent, const std::string& name, const std::string& description) {
        CLI::App* cmd = parent.add_subcommand(name, description);
        cmd->group("Befehle");
        cmd->get_help_ptr()->group("Optionen");
        return cmd;
    };

    TSwitchArgs convertSwitches;
    TRunArgs convertRun;
    TInputArgs convertInputs;
    convertSwitches.Output = CurrentFolder();
    CLI::App* convertCmd =
        command(app, "convert",
                "Metadateien in DXF-Dateien umwandeln; ein Ordner steht für seine *.emf- und *.wmf-Dateien, "
                "nach Namen sortiert. Ein vergebener Name wird nummeriert (NAME0.dxf, NAME1.dxf, ...), "
                "eine vorhandene Datei nur mit --overwrite ersetzt.");
    AddSwitchOptions(*convertCmd, convertSwitches, true);
    AddRunOptions(*convertCmd, convertRun);
    AddInputOptions(*convertCmd, convertInputs, true);
    convertCmd->footer(exitStatus);

    TRunArgs runRun;
    std::string runProject;
    CLI::App* runCmd = command(app, "run",
                               "Eine gespeicherte Projektdatei (.mvn) umwandeln, mit ihrem Ausgabeordner und "
                               "ihren Schaltern.");
    AddRunOptions(*runCmd, runRun);
    runCmd->add_option("PROJEKT", runProject, "Projektdatei")->required()->type_name("");
    runCmd->footer(exitStatus);

    CLI::App* projectCmd = command(app, "project", "Projektdateien (.mvn) zeigen und anlegen.");
    projectCmd->require_subcommand(1);
    std::string showProject;
    CLI::App* showCmd =
        command(*projectCmd, "show", "Dateien, Ausgabeordner und Schalter einer Projektdatei zeigen.");
    showCmd->add_option("PROJEKT", showProject, "Projektdatei")->required()->type_name("");

    std::string createProject;
    TSwitchArgs createSwitches;
    TInputArgs createInputs;
    createSwitches.Output = CurrentFolder();
    CLI::App* createCmd = command(
        *projectCmd, "create",
        "Eine Projektdatei schreiben (eine vorhandene wird ersetzt); Pfade werden absolut gespeichert, "
        "ein Ordner steht für seine *.emf- und *.wmf-Dateien.");
    AddSwitchOptions(*createCmd, createSwitches, false);
    createCmd->add_option("PROJEKT", createProject, "Projektdatei")->required()->type_name("");
    AddInputOptions(*createCmd, createInputs, false);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string usageHint = "\"metrovane --help\" zeigt die möglichen Angaben.\n";
    if (const std::string misplaced = MisplacedOptions(app, args); !misplaced.empty()) {
        std::cerr << "metrovane: " << mv::EscapeControlChars(misplaced) << '\n' << usageHint;
        return ExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << mv::cli::WrapHelp(app.help(), mv::cli::HelpWidth());
        return ExitOk;
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "metrovane: " << mv::EscapeControlChars(GermanParseError(e, args)) << "\n" << usageHint;
        return ExitUsage;
    }

    try {
        if (convertCmd->parsed()) {
            const unsigned jobs = CheckRunArgs(convertRun);
            convertSwitches.TakeUnitSwitch(*convertCmd);
            TStreams streams;
            streams.FromStdin = ReadsStandardInput(convertInputs);
            streams.ToStdout = convertSwitches.Output == StreamWord;
            const std::vector<std::string> files =
                streams.FromStdin ? std::vector<std::string>{StdinName} : AllInputs(convertInputs);
            if (streams.ToStdout && files.size() != 1)
                throw TUsageError{"Mit -o - wird genau eine Eingabe umgewandelt, nicht " +
                                  std::to_string(files.size())};
            return RunBatch(files, convertSwitches.Output, convertSwitches.Options, convertRun, jobs,
                            streams);
        }
        if (runCmd->parsed()) {
            const unsigned jobs = CheckRunArgs(runRun);
            const mv::TProject project = mv::ReadProjectFile(runProject);
            return RunBatch(project.Entries, project.OutputFolder, project.Options, runRun, jobs);
        }
        if (showCmd->parsed()) {
            ShowProject(showProject);
            return ExitOk;
        }
        if (createCmd->parsed()) {
            createSwitches.TakeUnitSwitch(*createCmd);
            CreateProject(createProject, createSwitches, createInputs);
            return ExitOk;
        }
    } catch (const TUsageError& e) {
        std::cerr << "metrovane: " << mv::EscapeControlChars(e.Message) << '\n' << usageHint;
        return ExitUsage;
    } catch (const std::exception& e) {
        // A project file that cannot be read or written, a folder that cannot be listed.
        std::cerr << "metrovane: " << mv::EscapeControlChars(e.what()) << '\n';
        return ExitFailed;
    }
    return ExitUsage;
}
