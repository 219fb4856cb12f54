// metrovane: the command line of the converter.

#include "app/BatchRun.h"
#include "app/MainFormTexts.h"
#include "app/ProjectFile.h"
#include "platform/FileAccess.h"
#include "platform/Shell.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
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
};

std::string CurrentFolder() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string(".") : cwd.string();
}

bool IsMetafileName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".emf" || ext == ".wmf";
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
        std::string prefix = input.back() == '/' ? input : input + '/';
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(input, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            std::error_code typeEc;
            if (IsMetafileName(name) && it->is_regular_file(typeEc)) names.push_back(name);
        }
        if (ec) throw std::runtime_error("Ordner " + input + " kann nicht gelesen werden");
        std::sort(names.begin(), names.end());
        if (names.empty()) std::cerr << "Ordner " << input << " enthält keine EMF- oder WMF-Dateien\n";
        for (const std::string& name : names)
            files.push_back(prefix + name);
    }
    return files;
}

// Shows "[done/total] percent" on a terminal, on stderr, and takes it away
// before a message line so that the lines stay clean.
class TProgressLine {
public:
    explicit TProgressLine(std::size_t total) : total_(total), enabled_(::isatty(STDERR_FILENO) == 1) {}
    ~TProgressLine() { Clear(); }

    void Message(const std::string& line) {
        Clear();
        std::cout << line << '\n' << std::flush;
        Redraw();
    }
    void Error(const std::string& text) {
        Clear();
        std::cerr << text << '\n' << std::flush;
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
    bool shown_ = false;
};

// Runs a batch as the window does, with the command line's extras; returns
// the exit status.
int RunBatch(const std::vector<std::string>& files, const std::string& output,
             const mv::TBatchOptions& options, unsigned jobs, bool keepGoing) {
    TProgressLine progress(files.size());
    bool reported = false;
    mv::TBatchRunner runner;
    runner.Options = options;
    runner.OutputFolder = output;
    runner.ProgramFolder = mv::ProgramFolder();
    runner.Jobs = jobs;
    runner.KeepGoing = keepGoing;
    runner.OnMessage = [&progress](const std::string& line) { progress.Message(line); };
    runner.OnProgress = [&progress](int percent) { progress.Step(percent); };
    runner.OnFailure = [&](const std::string& path, const std::string& message) {
        progress.Error(path + ": " + message);
        reported = true;
    };
    try {
        mv::TBatchResult result = runner.Run(files);
        if (result.Outcome == mv::TBatchOutcome::OutputFolderFailed) {
            progress.Error(std::string(mv::msg::OutputFolderFailed) + " (" + output + ")");
            return ExitFailed;
        }
        return result.Failed == 0 ? ExitOk : ExitFailed;
    } catch (const std::exception& e) {
        if (!reported) progress.Error(e.what());
        return ExitFailed;
    }
}

unsigned ParseJobs(const std::string& text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxJobs)
        throw TUsageError{"--jobs erwartet eine ganze Zahl von 1 bis " + std::to_string(MaxJobs) +
                          ", nicht " + text};
    return value;
}

void AddSwitchOptions(CLI::App& cmd, TSwitchArgs& args, bool withPenRatio) {
    cmd.add_option("-o,--output", args.Output, "Ausgabeordner (Vorgabe: der aktuelle Ordner), wird angelegt")
        ->type_name("ORDNER");
    cmd.add_flag("--r14", args.Options.R14, "DXF R14 (AC1014) statt R2000 (AC1015) schreiben");
    cmd.add_flag("--white", args.Options.ParseWhite,
                 "Weiß umsetzen: weiß gefüllte Rechtecke verdecken, was darunter liegt");
    args.Mm = cmd.add_flag("--mm")->description(
        "Metadatei speichert Größe in 0,01 mm: Koordinaten durch 100 teilen (Vorgabe)");
    args.NoMm = cmd.add_flag("--no-mm")->description("Koordinaten ungeteilt übernehmen");
    cmd.add_flag("--black250", args.Options.AlternativeBlack,
                 "Alternativer Palettenindex für Schwarz: 250 statt 7");
    if (!withPenRatio) return;
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
                 "nach einer fehlgeschlagenen Datei weitermachen (Vorgabe: beim ersten Fehler anhalten)");
    cmd.add_option("-j,--jobs", args.Jobs,
                   "N Dateien gleichzeitig umwandeln; Namen, Inhalte und Meldungen bleiben die eines Laufs "
                   "nacheinander (Vorgabe: 1)")
        ->type_name("N");
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
    std::cout << "Projekt: " << path << '\n';
    std::cout << "Dateien: " << project.Entries.size() << '\n';
    for (const std::string& entry : project.Entries)
        std::cout << "  " << entry << '\n';
    std::cout << "Ausgabeordner: "
              << (project.OutputFolder.empty() ? std::string("(leer: der Programmordner)")
                                               : project.OutputFolder)
              << '\n';
    std::cout << mv::ui::AutoCADVerCaption << ": " << YesNo(project.Options.R14) << '\n';
    std::cout << mv::ui::ParseWhiteCaption << ": " << YesNo(project.Options.ParseWhite) << '\n';
    std::cout << mv::ui::Use01MMCaption << ": " << YesNo(project.Options.Use01MM) << '\n';
    std::cout << mv::ui::AlternativeBlackCaption << ": " << YesNo(project.Options.AlternativeBlack) << '\n';
}

void CreateProject(const std::string& path, const TSwitchArgs& switches,
                   const std::vector<std::string>& inputs) {
    mv::TProject project;
    for (const std::string& file : ExpandInputs(inputs))
        project.Entries.push_back(AbsolutePath(file));
    // An empty folder text stays empty: the program folder at run time.
    project.OutputFolder = switches.Output.empty() ? std::string() : AbsolutePath(switches.Output);
    project.Options = switches.Options;
    mv::WriteProjectFile(path, project);
    std::cout << "Projekt " << path << " gespeichert: " << project.Entries.size() << " Dateien\n";
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Tarvold Metrovane 1.0: wandelt Vektorbilder im EMF- und WMF-Format in DXF-Zeichnungen um.",
                 "metrovane");
    SetGermanLabels(app);
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
    std::vector<std::string> convertInputs;
    convertSwitches.Output = CurrentFolder();
    CLI::App* convertCmd =
        command(app, "convert",
                "Metadateien in DXF-Dateien umwandeln; ein Ordner steht für seine *.emf- und *.wmf-Dateien, "
                "nach Namen sortiert. Ein vergebener Name wird nummeriert (NAME0.dxf, NAME1.dxf, ...), "
                "keine vorhandene Datei wird überschrieben.");
    AddSwitchOptions(*convertCmd, convertSwitches, true);
    AddRunOptions(*convertCmd, convertRun);
    convertCmd->add_option("EINGABE", convertInputs, "Metadateien (.emf, .wmf) oder Ordner")
        ->required()
        ->type_name("");
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
    std::vector<std::string> createInputs;
    createSwitches.Output = CurrentFolder();
    CLI::App* createCmd = command(
        *projectCmd, "create",
        "Eine Projektdatei schreiben (eine vorhandene wird ersetzt); Pfade werden absolut gespeichert, "
        "ein Ordner steht für seine *.emf- und *.wmf-Dateien.");
    AddSwitchOptions(*createCmd, createSwitches, false);
    createCmd->add_option("PROJEKT", createProject, "Projektdatei")->required()->type_name("");
    createCmd->add_option("EINGABE", createInputs, "Metadateien (.emf, .wmf) oder Ordner")
        ->required()
        ->type_name("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "metrovane: " << GermanParseError(e, std::vector<std::string>(argv + 1, argv + argc))
                  << "\n"
                  << "\"metrovane --help\" zeigt die möglichen Angaben.\n";
        return ExitUsage;
    }

    try {
        if (convertCmd->parsed()) {
            const unsigned jobs = ParseJobs(convertRun.Jobs);
            convertSwitches.TakeUnitSwitch(*convertCmd);
            const std::vector<std::string> files = ExpandInputs(convertInputs);
            return RunBatch(files, convertSwitches.Output, convertSwitches.Options, jobs,
                            convertRun.KeepGoing);
        }
        if (runCmd->parsed()) {
            const unsigned jobs = ParseJobs(runRun.Jobs);
            const mv::TProject project = mv::ReadProjectFile(runProject);
            return RunBatch(project.Entries, project.OutputFolder, project.Options, jobs, runRun.KeepGoing);
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
        std::cerr << "metrovane: " << e.Message << "\n\"metrovane --help\" zeigt die möglichen Angaben.\n";
        return ExitUsage;
    } catch (const std::exception& e) {
        // A project file that cannot be read or written, a folder that cannot be listed.
        std::cerr << "metrovane: " << e.what() << '\n';
        return ExitFailed;
    }
    return ExitUsage;
}
