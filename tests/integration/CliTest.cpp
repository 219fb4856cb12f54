// The command-line program run as a user runs it: exit codes, message lines
// on stdout, errors on stderr, folder inputs, parallel runs, and its output
// opened by an independent DXF reader.

#include "app/ProjectFile.h"

#include "EmfBuilder.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct TRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

// Runs metrovane with the arguments in `cwd`, stdout and stderr apart.
// `input` goes to its standard input.
TRun RunCli(const std::vector<std::string>& args, const fs::path& cwd, const std::string& input = "") {
    TTempDir capture;
    // Appended piece by piece: a literal + std::string temporary misleads
    // g++ 12's overlap analysis into a -Wrestrict warning.
    test::WriteBytes(capture / "in", std::vector<unsigned char>(input.begin(), input.end()));
    std::string command = "cd ";
    command.append(Quote(cwd.string())).append(" && ").append(Quote(MV_CLI_PATH));
    for (const std::string& a : args)
        command.append(" ").append(Quote(a));
    command.append(" >").append(Quote(capture / "out")).append(" 2>").append(Quote(capture / "err"));
    command.append(" <").append(Quote(capture / "in"));
    TRun run;
    run.Code = test::RunCommand("(" + command + ")");
    run.Out = test::ReadText(capture / "out");
    run.Err = test::ReadText(capture / "err");
    return run;
}

std::vector<unsigned char> Emf(int variant = 0) {
    test::TEmfBuilder b;
    b.CreatePen(1, 0, 10, 0x000000).SelectObject(1);
    b.Poly(4, {{0, 0}, {1000 + variant, 500}, {2000, variant}});
    b.Rectangle(100, 100, 600 + 10 * variant, 400);
    return b.Build(3000, 2000);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Cli, ConvertsFilesIntoTheCurrentFolderByDefault) {
    TTempDir work;
    test::WriteBytes(work / "plan.emf", Emf());
    test::WriteBytes(work / "Skizze.EMF", Emf(1));
    TRun run = RunCli({"convert", "plan.emf", "Skizze.EMF"}, work.Path());
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out),
              (std::vector<std::string>{"Konvertiere plan.emf...", "Konvertiere Skizze.EMF...",
                                        "2 Dateien konvertiert..."}));
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Listing(work.Path()),
              (std::vector<std::string>{"Skizze.EMF", "Skizze.dxf", "plan.dxf", "plan.emf"}));
    const std::string dxf = test::ReadText(work / "plan.dxf");
    EXPECT_NE(dxf.find("AC1015"), std::string::npos);
    EXPECT_NE(dxf.find("\r\n"), std::string::npos);
}

TEST(Cli, FolderInputTakesItsMetafilesSortedByName) {
    TTempDir work;
    fs::create_directories(work.Path() / "bilder/unter.emf");
    test::WriteBytes(work / "bilder/b.EMF", Emf(1));
    test::WriteBytes(work / "bilder/a.emf", Emf(2));
    test::WriteBytes(work / "bilder/C.Emf", Emf(3));
    test::WriteBytes(work / "bilder/liesmich.txt", {'x'});
    test::WriteBytes(work / "bilder/emf", {'x'});
    TRun run = RunCli({"convert", "-o", "aus", "bilder"}, work.Path());
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out),
              (std::vector<std::string>{"Konvertiere bilder/C.Emf...", "Konvertiere bilder/a.emf...",
                                        "Konvertiere bilder/b.EMF...", "3 Dateien konvertiert..."}));
    EXPECT_EQ(Listing(work.Path() / "aus"), (std::vector<std::string>{"C.dxf", "a.dxf", "b.dxf"}));
}

TEST(Cli, StopsAtTheFirstErrorWithStatusOne) {
    TTempDir work;
    test::WriteBytes(work / "eins.emf", Emf());
    test::WriteBytes(work / "zwei.emf", {'n', 'i', 'c', 'h', 't', 's'});
    test::WriteBytes(work / "drei.emf", Emf());
    TRun run = RunCli({"convert", "-o", "aus", "eins.emf", "zwei.emf", "drei.emf"}, work.Path());
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(Lines(run.Out),
              (std::vector<std::string>{"Konvertiere eins.emf...", "Konvertiere zwei.emf..."}));
    EXPECT_NE(run.Err.find("zwei.emf"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("Metadatei ist ungültig"), std::string::npos) << run.Err;
    EXPECT_EQ(Listing(work.Path() / "aus"), (std::vector<std::string>{"eins.dxf"}));
}

TEST(Cli, KeepGoingReportsTheFailedFileAndGoesOn) {
    TTempDir work;
    test::WriteBytes(work / "eins.emf", Emf());
    test::WriteBytes(work / "drei.emf", Emf());
    TRun run =
        RunCli({"convert", "--keep-going", "-o", "aus", "eins.emf", "fehlt.emf", "drei.emf"}, work.Path());
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{"Konvertiere eins.emf...", "Konvertiere fehlt.emf...",
                                                        "Konvertiere drei.emf...",
                                                        "2 Dateien konvertiert, 1 fehlgeschlagen"}));
    EXPECT_EQ(Lines(run.Err),
              (std::vector<std::string>{"metrovane: fehlt.emf: Datei fehlt.emf kann nicht geöffnet werden"}));
    EXPECT_EQ(Listing(work.Path() / "aus"), (std::vector<std::string>{"drei.dxf", "eins.dxf"}));

    // Quiet leaves only the error; verbose names each output file.
    TRun quiet =
        RunCli({"convert", "-q", "--keep-going", "-o", "leise", "eins.emf", "fehlt.emf"}, work.Path());
    EXPECT_EQ(quiet.Code, 1);
    EXPECT_EQ(quiet.Out, "");
    EXPECT_EQ(Lines(quiet.Err), Lines(run.Err));
    TRun verbose = RunCli({"convert", "eins.emf", "--verbose", "-o", "aus", "drei.emf"}, work.Path());
    EXPECT_EQ(verbose.Code, 0) << verbose.Err;
    EXPECT_EQ(Lines(verbose.Out), (std::vector<std::string>{"Konvertiere eins.emf -> aus/eins0.dxf",
                                                            "Konvertiere drei.emf -> aus/drei0.dxf",
                                                            "2 Dateien konvertiert..."}));
}

TEST(Cli, FilesFromReadsOnePathALineAfterTheWordInputs) {
    TTempDir work;
    fs::create_directories(work.Path() / "mit leer");
    test::WriteBytes(work / "mit leer/b.emf", Emf(1));
    test::WriteBytes(work / "a.emf", Emf(2));
    test::WriteBytes(work / "c.emf", Emf(3));
    const std::string list = "mit leer/b.emf\r\n\nc.emf";
    test::WriteBytes(work / "liste.txt", std::vector<unsigned char>(list.begin(), list.end()));
    TRun run = RunCli({"convert", "a.emf", "--files-from", "liste.txt", "-o", "aus"}, work.Path());
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Listing(work.Path() / "aus"), (std::vector<std::string>{"a.dxf", "b.dxf", "c.dxf"}));

    TRun piped = RunCli({"project", "create", "p.mvn", "--files-from", "-"}, work.Path(), "c.emf\na.emf\n");
    EXPECT_EQ(piped.Code, 0) << piped.Err;
    EXPECT_EQ(mv::ReadProjectFile(work / "p.mvn").Entries,
              (std::vector<std::string>{work / "c.emf", work / "a.emf"}));

    TRun missing = RunCli({"convert", "--files-from", "fehlt.txt"}, work.Path());
    EXPECT_EQ(missing.Code, 1);
    EXPECT_EQ(missing.Err, "metrovane: Dateiliste fehlt.txt kann nicht geöffnet werden\n");
}

TEST(Cli, OutputFolderThatCannotBeCreatedFails) {
    TTempDir work;
    test::WriteBytes(work / "eins.emf", Emf());
    test::WriteBytes(work / "datei", {'x'});
    TRun run = RunCli({"convert", "-o", "datei/aus", "eins.emf"}, work.Path());
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("Konnte den Ausgabeordner nicht erzeugen!"), std::string::npos) << run.Err;
}

TEST(Cli, WrongUsageGivesStatusTwoAndAGermanText) {
    TTempDir work;
    test::WriteBytes(work / "eins.emf", Emf());
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"umwandeln", "eins.emf"},
        {"convert"},
        {"convert", "--gibtsnicht", "eins.emf"},
        {"convert", "-j", "0", "eins.emf"},
        {"convert", "-j", "zwei", "eins.emf"},
        {"convert", "--pen-ratio", "abc", "eins.emf"},
        {"convert", "eins.emf", "-o"},
        {"convert", "eins.emf", "eins.emf", "-o", "-"},
        {"convert", "-", "eins.emf"},
    };
    for (const auto& args : wrong) {
        TRun run = RunCli(args, work.Path());
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(run.Code, 2) << joined;
        EXPECT_EQ(run.Out, "") << joined;
        EXPECT_NE(run.Err.find("metrovane --help"), std::string::npos) << joined << run.Err;
        EXPECT_EQ(run.Err.find("required"), std::string::npos) << joined << run.Err;
    }
    EXPECT_EQ(Listing(work.Path()), (std::vector<std::string>{"eins.emf"}));

    TRun help = RunCli({"convert", "--help"}, work.Path());
    EXPECT_EQ(help.Code, 0);
    EXPECT_NE(help.Out.find("Aufruf: metrovane convert"), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("Ausgabeordner"), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("--keep-going"), std::string::npos) << help.Out;
    // Not a terminal: 80 columns, counted in characters.
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"convert", "--help"}})
        for (const std::string& line : Lines(RunCli(args, work.Path()).Out)) {
            const auto columns =
                std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
            EXPECT_LE(columns, 80) << line;
        }

    for (const char* flag : {"--version", "-V"}) {
        TRun version = RunCli({flag}, work.Path());
        EXPECT_EQ(version.Code, 0);
        EXPECT_EQ(version.Out, "metrovane " MV_PROJECT_VERSION "\n");
    }
}

TEST(Cli, AnOptionBeforeTheCommandIsShownWhereItBelongs) {
    TTempDir work;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"-o", "mein aus", "convert", "x.emf"},
         "Die Option -o gehört hinter den Befehl: metrovane convert -o 'mein aus' x.emf"},
        {{"--r14", "--jobs=2", "project", "create", "p.mvn", "x.emf"},
         "Die Option --r14 gehört hinter den Befehl project create"},
        {{"--black250", "-q"},
         "Die Optionen --black250, -q gehören hinter einen Befehl (convert, project create, run)"},
    };
    for (const auto& [args, message] : cases) {
        TRun run = RunCli(args, work.Path());
        EXPECT_EQ(run.Code, 2);
        EXPECT_EQ(Lines(run.Err).front(), "metrovane: " + message);
    }
    EXPECT_TRUE(fs::is_empty(work.Path()));
}

TEST(Cli, SwitchesReachTheFile) {
    TTempDir work;
    test::WriteBytes(work / "plan.emf", Emf());
    // Classic: logical units, divided by 100 or not.
    ASSERT_EQ(RunCli({"convert", "--classic", "-o", "mm", "plan.emf"}, work.Path()).Code, 0);
    ASSERT_EQ(RunCli({"convert", "--classic", "-o", "ohne", "--mm", "--no-mm", "plan.emf"}, work.Path()).Code,
              0);
    ASSERT_EQ(RunCli({"convert", "-o", "r14", "--r14", "plan.emf"}, work.Path()).Code, 0);
    const std::string mm = test::ReadText(work / "mm/plan.dxf");
    const std::string plain = test::ReadText(work / "ohne/plan.dxf");
    EXPECT_NE(mm, plain);
    EXPECT_NE(plain.find("\r\n 10\r\n2000\r\n"), std::string::npos);
    EXPECT_NE(mm.find("\r\n 10\r\n20\r\n"), std::string::npos);
    EXPECT_NE(test::ReadText(work / "r14/plan.dxf").find("AC1014"), std::string::npos);
}

TEST(Cli, ParallelRunIsIdenticalToTheSerialOne) {
    TTempDir work;
    std::vector<std::string> args{"convert"};
    int variant = 0;
    for (const char* name : {"a/plan.emf", "b/plan.emf", "a/skizze.emf", "c/plan.emf", "b/skizze.emf",
                             "d/x.emf", "d/plan.emf", "e/plan.emf"}) {
        fs::create_directories((work.Path() / name).parent_path());
        test::WriteBytes(work / name, Emf(variant++));
        args.push_back(name);
    }
    auto serialArgs = args, parallelArgs = args;
    serialArgs.insert(serialArgs.end(), {"-j", "1", "-o", "seriell"});
    parallelArgs.insert(parallelArgs.end(), {"--jobs", "3", "-o", "parallel"});
    TRun serial = RunCli(serialArgs, work.Path());
    TRun parallel = RunCli(parallelArgs, work.Path());
    ASSERT_EQ(serial.Code, 0) << serial.Err;
    ASSERT_EQ(parallel.Code, 0) << parallel.Err;
    EXPECT_EQ(parallel.Out, serial.Out);
    EXPECT_EQ(Lines(serial.Out).back(), "8 Dateien konvertiert...");

    const std::vector<std::string> names = Listing(work.Path() / "seriell");
    EXPECT_EQ(names, (std::vector<std::string>{"plan.dxf", "plan0.dxf", "plan1.dxf", "plan2.dxf", "plan3.dxf",
                                               "skizze.dxf", "skizze0.dxf", "x.dxf"}));
    ASSERT_EQ(Listing(work.Path() / "parallel"), names);
    for (const std::string& name : names)
        EXPECT_EQ(test::ReadText(work / ("parallel/" + name)), test::ReadText(work / ("seriell/" + name)))
            << name;
    // In list order: the second plan.emf got plan0.dxf.
    const std::string second = test::ReadText(work / "seriell/plan0.dxf");
    TTempDir single;
    ASSERT_EQ(RunCli({"convert", "-o", single.Path().string(), (work / "b/plan.emf")}, work.Path()).Code, 0);
    EXPECT_EQ(test::ReadText(single / "plan.dxf"), second);
}

TEST(Cli, StandardInputAndOutputCarryOneDrawing) {
    TTempDir work;
    const std::vector<unsigned char> emf = Emf(4);
    test::WriteBytes(work / "plan.emf", emf);
    ASSERT_EQ(RunCli({"convert", "-o", "ref", "plan.emf"}, work.Path()).Code, 0);
    const std::string reference = test::ReadText(work / "ref/plan.dxf");

    // Only the drawing goes to stdout; the message lines go to stderr.
    TRun piped = RunCli({"convert", "-", "-o", "-"}, work.Path(), std::string(emf.begin(), emf.end()));
    EXPECT_EQ(piped.Code, 0) << piped.Err;
    EXPECT_EQ(piped.Out, reference);
    EXPECT_EQ(Lines(piped.Err),
              (std::vector<std::string>{"Konvertiere stdin...", "1 Dateien konvertiert..."}));
    TRun named =
        RunCli({"convert", "-q", "-o", "aus", "-"}, work.Path(), std::string(emf.begin(), emf.end()));
    EXPECT_EQ(named.Code, 0) << named.Err;
    EXPECT_EQ(test::ReadText(work / "aus/stdin.dxf"), reference);

    TRun bad = RunCli({"convert", "-", "-o", "-"}, work.Path(), "kein Bild");
    EXPECT_EQ(bad.Code, 1);
    EXPECT_EQ(bad.Out, "");
    EXPECT_NE(bad.Err.find("metrovane: stdin: Metadatei ist ungültig"), std::string::npos) << bad.Err;
}

TEST(CliProject, CreateShowAndRun) {
    TTempDir work;
    fs::create_directories(work.Path() / "bilder");
    test::WriteBytes(work / "bilder/b.emf", Emf(1));
    test::WriteBytes(work / "bilder/a.emf", Emf(2));
    test::WriteBytes(work / "c.emf", Emf(3));
    TRun create = RunCli(
        {"project", "create", "p.mvn", "--r14", "--no-mm", "--black250", "-o", "./aus", "bilder", "c.emf"},
        work.Path());
    ASSERT_EQ(create.Code, 0) << create.Err;

    // Paths are stored absolute so that the project runs from anywhere.
    const std::string root = work.Path().string();
    mv::TProject expected;
    expected.Entries = {root + "/bilder/a.emf", root + "/bilder/b.emf", root + "/c.emf"};
    expected.OutputFolder = root + "/aus";
    expected.Options.R14 = true;
    expected.Options.Use01MM = false;
    expected.Options.AlternativeBlack = true;
    EXPECT_EQ(test::ReadText(work / "p.mvn"), mv::EncodeProject(expected));

    TRun show = RunCli({"project", "show", "p.mvn"}, work.Path());
    EXPECT_EQ(show.Code, 0) << show.Err;
    EXPECT_EQ(Lines(show.Out), (std::vector<std::string>{
                                   "Projekt: p.mvn", "Dateien: 3", "  " + expected.Entries[0],
                                   "  " + expected.Entries[1], "  " + expected.Entries[2],
                                   "Ausgabeordner: " + root + "/aus", "AutoCAD DXF Version R14: ja",
                                   "Weiß umsetzen: nein", "Metafile speichert Größe in Millimetern: nein",
                                   "Alternativer Palettenindex für Schwarz (in #250): ja"}));

    TTempDir elsewhere;
    TRun run = RunCli({"run", (work / "p.mvn"), "-j", "2", "--classic"}, elsewhere.Path());
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{"Konvertiere " + expected.Entries[0] + "...",
                                                        "Konvertiere " + expected.Entries[1] + "...",
                                                        "Konvertiere " + expected.Entries[2] + "...",
                                                        "3 Dateien konvertiert..."}));
    EXPECT_EQ(Listing(work.Path() / "aus"), (std::vector<std::string>{"a.dxf", "b.dxf", "c.dxf"}));
    const std::string dxf = test::ReadText(work / "aus/c.dxf");
    EXPECT_NE(dxf.find("\r\nAC1014\r\n"), std::string::npos);
    EXPECT_NE(dxf.find("\r\n 10\r\n2000\r\n"), std::string::npos); // no division by 100
}

TEST(CliProject, BareNamesLieBesideTheProjectAndBadFilesFail) {
    TTempDir work, elsewhere;
    fs::create_directories(work.Path() / "proj");
    test::WriteBytes(work / "proj/plan.emf", Emf());
    mv::TProject project;
    project.Entries = {"plan.emf"};
    project.OutputFolder = work / "aus";
    const std::string bytes = mv::EncodeProject(project);
    test::WriteBytes(work / "proj/x.mvn", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    TRun run = RunCli({"run", (work / "proj/x.mvn")}, elsewhere.Path());
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out).front(), "Konvertiere " + (work / "proj/plan.emf") + "...");
    EXPECT_TRUE(fs::exists(work.Path() / "aus/plan.dxf"));

    // Cut short inside the output folder text.
    test::WriteBytes(work / "kurz.mvn", std::vector<unsigned char>(bytes.begin(), bytes.end() - 6));
    test::WriteBytes(work / "falsch.mvn", {'t', 'a', 'r', 'v', 'o', 'l', 'd'});
    const std::vector<std::pair<std::vector<std::string>, std::string>> failing{
        {{"run", "kurz.mvn"}, "Versuch hinter dem Dateiende zu lesen"},
        {{"project", "show", "falsch.mvn"}, "Dies ist keine gültige MVN Projekt Datei"},
        {{"run", "fehlt.mvn"}, "MVN Projekt Datei öffnen: Konnte folgende Datei nicht öffnen: fehlt.mvn !"},
        {{"project", "create", "nirgends/x.mvn", "a.emf"},
         "MVN Projekt Datei speichern: Konnte die folgende Datei nicht erstellen: x.mvn !"},
    };
    for (const auto& [args, message] : failing) {
        TRun bad = RunCli(args, work.Path());
        EXPECT_EQ(bad.Code, 1) << args[1];
        EXPECT_EQ(bad.Out, "") << args[1];
        EXPECT_NE(bad.Err.find(message), std::string::npos) << bad.Err;
    }
    for (const std::vector<std::string>& usage :
         std::vector<std::vector<std::string>>{{"project"},
                                               {"project", "zeigen", "x.mvn"},
                                               {"run"},
                                               {"project", "create", "x.mvn"},
                                               {"project", "create", "x.mvn", "--pen-ratio", "2", "a.emf"}}) {
        TRun bad = RunCli(usage, work.Path());
        EXPECT_EQ(bad.Code, 2) << bad.Err;
        EXPECT_NE(bad.Err.find("metrovane --help"), std::string::npos) << bad.Err;
    }
    EXPECT_FALSE(fs::exists(work.Path() / "x.mvn"));
}

TEST(Cli, OutputPassesTheAuditOfAnIndependentReader) {
    if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
    TTempDir work;
    test::TEmfBuilder b;
    b.CreatePen(1, 0, 20, 0x0000FF).SelectObject(1);
    b.Poly(4, {{0, 0}, {1000, 500}, {2000, 0}}).Rectangle(100, 100, 600, 400).LineTo(50, 900);
    b.CreatePen(2, 1, 0, 0x000000).SelectObject(2).Poly(4, {{0, 100}, {900, 100}});
    test::WriteBytes(work / "plan.emf", b.Build(3000, 2000));
    ASSERT_EQ(RunCli({"convert", "-o", "r14", "--r14", "plan.emf"}, work.Path()).Code, 0);
    ASSERT_EQ(RunCli({"convert", "-o", "r2000", "--black250", "--white", "plan.emf"}, work.Path()).Code, 0);

    std::string output;
    const std::string script = std::string(MV_SOURCE_DIR) + "/tests/integration/ezdxf_audit.py";
    const int code = test::RunCommand("/usr/bin/python3 " + Quote(script) + " " +
                                          Quote(work / "r14/plan.dxf") + " " + Quote(work / "r2000/plan.dxf"),
                                      &output);
    if (code == 2 && output.find("not installed") != std::string::npos) GTEST_SKIP() << output;
    EXPECT_EQ(code, 0) << output;
    // The reader takes R14 in as R2000, so the version is checked in the file.
    EXPECT_NE(test::ReadText(work / "r14/plan.dxf").find("\r\nAC1014\r\n"), std::string::npos);
    EXPECT_NE(output.find("LWPOLYLINE"), std::string::npos) << output;
}

// The DXF files of a folder, each complete; anything else there is reported.
std::vector<std::string> CompleteDxfContents(const fs::path& folder) {
    std::vector<std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string text = test::ReadText(entry.path().string());
        const bool complete = text.size() > 10 && text.compare(text.size() - 10, 10, "  0\r\nEOF\r\n") == 0;
        EXPECT_TRUE(name.size() > 4 && name.substr(name.size() - 4) == ".dxf" && complete) << name;
        contents.push_back(text);
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

TEST(Cli, ControlCharactersInNamesAreShownEscaped) {
    TTempDir work;
    const std::string hostile = "a\nb\x1b[31mc";
    test::WriteBytes(work / (hostile + ".emf"), Emf());
    TRun run = RunCli({"convert", hostile + ".emf", "Übersicht 1.emf"}, work.Path());
    EXPECT_EQ(Lines(run.Out)[0], "Konvertiere a\\nb\\x1b[31mc.emf...");
    EXPECT_EQ(Lines(run.Out)[1], "Konvertiere Übersicht 1.emf...");
    EXPECT_TRUE(fs::exists(work.Path() / (hostile + ".dxf"))); // the file keeps its name
    // Usage errors echo what was typed, escaped too.
    TRun usage = RunCli({"convert", "-j", "2\x1b[2J", "a.emf"}, work.Path());
    EXPECT_EQ(usage.Code, 2);
    EXPECT_NE(usage.Err.find("2\\x1b[2J"), std::string::npos) << usage.Err;
}

TEST(Cli, TwoRunsIntoOneFolderKeepEveryOutput) {
    TTempDir work;
    std::string inputs;
    for (int i = 0; i < 12; ++i) {
        const std::string name = std::string("d").append(std::to_string(i)).append("/plan.emf");
        fs::create_directories((work.Path() / name).parent_path());
        test::WriteBytes(work / name, Emf(i));
        inputs.append(" ").append(name);
    }
    const std::string cli = Quote(MV_CLI_PATH) + " convert -j 2 -o ";
    ASSERT_EQ(
        test::RunCommand("cd " + Quote(work.Path().string()) + " && " + cli + "ref" + inputs + " >/dev/null"),
        0);
    const std::string race = cli + "out" + inputs + " >/dev/null";
    ASSERT_EQ(test::RunCommand("cd " + Quote(work.Path().string()) + " && mkdir out && (" + race + " & " +
                               race + " & wait %1 && wait %2)"),
              0);
    // Every output of both runs is there once, under a name of its own.
    std::vector<std::string> expected;
    for (const std::string& text : CompleteDxfContents(work.Path() / "ref"))
        expected.insert(expected.end(), 2, text);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(CompleteDxfContents(work.Path() / "out"), expected);
}

TEST(Cli, InterruptedRunLeavesOnlyCompleteFiles) {
    TTempDir work;
    // Large enough that a file takes a while to convert.
    test::TEmfBuilder b;
    std::vector<test::TPt> points;
    for (int k = 0; k < 400; ++k)
        points.push_back({k * 7 % 1000, k * 13 % 900});
    for (int i = 0; i < 600; ++i)
        b.Poly(4, points);
    test::WriteBytes(work / "gross.emf", b.Build(3000, 2000));
    std::vector<std::string> args{MV_CLI_PATH, "convert", "-o", "out"};
    args.insert(args.end(), 40, "gross.emf");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (int signal : {SIGINT, SIGTERM}) {
        fs::remove_all(work.Path() / "out");
        fs::remove(work.Path() / "log");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int log = ::open((work / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (::chdir(work.Path().c_str()) != 0 || ::dup2(log, STDOUT_FILENO) < 0) ::_exit(127);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        // Interrupted while the second file is under way.
        for (int i = 0; i < 6000 && Lines(test::ReadText(work / "log")).size() < 2; ++i)
            ::usleep(10000);
        ::usleep(20000);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        const std::size_t done = CompleteDxfContents(work.Path() / "out").size();
        EXPECT_GE(done, 1u);
        EXPECT_LT(done, 40u);
    }
}

TEST(Cli, RunningOutOfMemoryNamesTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit and AddressSanitizer's shadow memory do not mix";
#else
    // A header that counts 3 GB (a sparse file), read in 1 GB of address space.
    TTempDir work;
    auto emf = test::TEmfBuilder().Build();
    for (int i = 0; i < 4; ++i)
        emf[48 + i] = static_cast<unsigned char>(3000000000u >> (8 * i));
    test::WriteBytes(work / "riesig.emf", emf);
    fs::resize_file(work.Path() / "riesig.emf", 3000000000u);
    const std::string command = "(cd " + Quote(work.Path().string()) + " && ulimit -v 1048576 && " +
                                Quote(MV_CLI_PATH) + " convert -o out riesig.emf 2>err >/dev/null)";
    EXPECT_EQ(test::RunCommand(command), 1);
    EXPECT_EQ(test::ReadText(work / "err"),
              "metrovane: riesig.emf: Nicht genügend Arbeitsspeicher für riesig.emf\n");
    EXPECT_TRUE(fs::is_empty(work.Path() / "out"));
#endif
}

} // namespace
} // namespace mv
