#include "app/BatchRun.h"

#include "dxf/DXFExport.h"
#include "platform/Errors.h"
#include "platform/OutputFile.h"

#include "EmfBuilder.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;

std::vector<unsigned char> SmallEmf() {
    return test::TEmfBuilder().Poly(4, {{0, 0}, {100, 50}, {200, 0}}).Rectangle(10, 10, 60, 40).Build();
}

// A runner that collects everything it reports.
struct TRecorder {
    std::vector<std::string> Lines;
    std::vector<int> Percents;
    std::vector<std::string> Failures;

    TBatchRunner Runner(const std::string& outputFolder, const std::string& programFolder = "/nonexistent/") {
        TBatchRunner runner;
        runner.OutputFolder = outputFolder;
        runner.ProgramFolder = programFolder;
        runner.OnMessage = [this](const std::string& line) { Lines.push_back(line); };
        runner.OnProgress = [this](int percent) { Percents.push_back(percent); };
        runner.OnFailure = [this](const std::string& path, const std::string& message) {
            Failures.push_back(path + ": " + message);
        };
        return runner;
    }
};

std::vector<std::string> FolderListing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BatchNaming, BaseNameDropsOnlyTheLastExtension) {
    EXPECT_EQ(OutputBaseName("/bilder/plan.emf"), "plan");
    EXPECT_EQ(OutputBaseName("/bilder/Plan.EMF"), "Plan");
    EXPECT_EQ(OutputBaseName("/bilder/a.b.wmf"), "a.b");
    EXPECT_EQ(OutputBaseName("/bilder/zeichnung"), "zeichnung");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(OutputBaseName("/bilder.alt/zeichnung"), "zeichnung");
    EXPECT_EQ(OutputBaseName("plan.emf"), "plan");
}

TEST(BatchNaming, TakenNamesAreNumberedFromZero) {
    TTempDir dir;
    const std::string folder = dir.Path().string() + "/";
    EXPECT_EQ(TOutputNames(folder).Take("plan"), folder + "plan.dxf");
    for (const char* name : {"plan.dxf", "plan0.dxf", "plan1.dxf", "plan3.dxf"})
        test::WriteBytes(dir / name, {'x'});
    fs::create_directory(dir.Path() / "bild.dxf");
    TOutputNames names(folder);
    EXPECT_EQ(names.Take("plan"), folder + "plan2.dxf");
    // Names handed out before count as taken, and so does a folder; a name
    // another base name took is passed over.
    EXPECT_EQ(names.Take("plan5"), folder + "plan5.dxf");
    EXPECT_EQ(names.Take("plan"), folder + "plan4.dxf");
    EXPECT_EQ(names.Take("plan"), folder + "plan6.dxf");
    EXPECT_EQ(names.Take("bild"), folder + "bild0.dxf");
}

TEST(BatchRun, ConvertsIntoNumberedNamesAndNeverOverwrites) {
    TTempDir in, out;
    test::WriteBytes(in / "plan.emf", SmallEmf());
    test::WriteBytes(in / "Plan.EMF", SmallEmf());
    test::WriteBytes(in / "a.b.wmf.emf", SmallEmf());
    test::WriteBytes(in / "zeichnung", SmallEmf());
    for (const char* name : {"plan.dxf", "plan0.dxf", "plan1.dxf"})
        test::WriteBytes(out / name, {'k', 'e', 'e', 'p'});

    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    TBatchResult result =
        runner.Run({in / "plan.emf", in / "Plan.EMF", in / "a.b.wmf.emf", in / "zeichnung", in / "plan.emf"});

    EXPECT_EQ(result.Outcome, TBatchOutcome::Finished);
    EXPECT_EQ(result.Converted, 5);
    EXPECT_EQ(FolderListing(out.Path()),
              (std::vector<std::string>{"Plan.dxf", "a.b.wmf.dxf", "plan.dxf", "plan0.dxf", "plan1.dxf",
                                        "plan2.dxf", "plan3.dxf", "zeichnung.dxf"}));
    EXPECT_EQ(test::ReadText(out / "plan.dxf"), "keep");
    EXPECT_NE(test::ReadText(out / "plan2.dxf").find("AC1015"), std::string::npos);
    ASSERT_EQ(rec.Lines.size(), 6u);
    EXPECT_EQ(rec.Lines[0], "Konvertiere " + (in / "plan.emf") + "...");
    EXPECT_EQ(rec.Lines[4], "Konvertiere " + (in / "plan.emf") + "...");
    EXPECT_EQ(rec.Lines[5], "5 Dateien konvertiert...");
    EXPECT_EQ(rec.Percents, (std::vector<int>{20, 40, 60, 80, 100}));
}

// What a drawing leaves out reaches the message lines once per file, after
// the file's announcing line; the classic conversion has nothing to say.
TEST(BatchRun, WarningsNameTheirFile) {
    test::TEmfBuilder b;
    b.CreateFont(1, u"No Such Face", -10).SelectObject(1);
    for (int i = 0; i < 2; ++i) {
        test::TRecordBytes r(84); // EMR_EXTTEXTOUTW of glyph indices
        r.Rect(0, 0, 0, 0)
            .U32(1)
            .F32(1)
            .F32(1)
            .I32(0)
            .I32(0)
            .U32(1)
            .U32(76)
            .U32(0x10)
            .Rect(0, 0, 0, 0)
            .U32(0);
        b.Add(r.U16(36));
    }
    TTempDir in, out;
    test::WriteBytes(in / "glyphs.emf", b.Build());
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.Run({in / "glyphs.emf"});
    EXPECT_EQ(rec.Lines, (std::vector<std::string>{"Konvertiere " + (in / "glyphs.emf") + "...",
                                                   "Warnung: " + (in / "glyphs.emf") + ": " +
                                                       msg::GlyphTextLeftOut + "\"No Such Face\"",
                                                   "1 Dateien konvertiert..."}));
    runner.Options.Classic = true;
    rec.Lines.clear();
    runner.Run({in / "glyphs.emf"});
    EXPECT_EQ(rec.Lines.size(), 2u);
}

TEST(BatchRun, OutputFolderIsResolvedAndCreated) {
    TTempDir in, base;
    test::WriteBytes(in / "plan.emf", SmallEmf());

    // A nested folder that does not exist yet, typed with and without '/'.
    for (const std::string& typed : {base / "x/y/z", base / "x/y/z/"}) {
        TRecorder rec;
        TBatchRunner runner = rec.Runner(typed);
        TBatchResult result = runner.Run({in / "plan.emf"});
        EXPECT_EQ(result.OutputFolder, base / "x/y/z/");
    }
    EXPECT_EQ(FolderListing(base.Path() / "x/y/z"), (std::vector<std::string>{"plan.dxf", "plan0.dxf"}));

    // An empty folder text means the program folder.
    TRecorder rec;
    TBatchRunner runner = rec.Runner("", base / "prog/");
    EXPECT_EQ(runner.Run({in / "plan.emf"}).OutputFolder, base / "prog/");
    EXPECT_TRUE(fs::is_regular_file(base.Path() / "prog/plan.dxf"));
}

TEST(BatchRun, EmptyBatchStillCreatesTheFolderAndWritesTheCountLine) {
    TTempDir base;
    TRecorder rec;
    TBatchRunner runner = rec.Runner(base / "leer");
    TBatchResult result = runner.Run({});
    EXPECT_EQ(result.Converted, 0);
    EXPECT_TRUE(fs::is_directory(base.Path() / "leer"));
    EXPECT_EQ(rec.Lines, (std::vector<std::string>{"0 Dateien konvertiert..."}));
    EXPECT_TRUE(rec.Percents.empty());
}

TEST(BatchRun, FolderThatCannotBeCreatedIsADistinctOutcome) {
    TTempDir in, base;
    test::WriteBytes(in / "plan.emf", SmallEmf());
    test::WriteBytes(base / "datei", {'x'});
    for (const auto& [folder, program] :
         {std::pair<std::string, std::string>{base / "datei/unter", ""}, {"", ""}}) {
        TRecorder rec;
        TBatchRunner runner = rec.Runner(folder, program);
        EXPECT_EQ(runner.Run({in / "plan.emf"}).Outcome, TBatchOutcome::OutputFolderFailed);
        EXPECT_TRUE(rec.Lines.empty());
    }
    EXPECT_STREQ(msg::OutputFolderFailed, "Konnte den Ausgabeordner nicht erzeugen!");
}

TEST(BatchRun, AnErrorEndsTheRunAndKeepsWhatWasConverted) {
    TTempDir in, out;
    test::WriteBytes(in / "eins.emf", SmallEmf());
    test::WriteBytes(in / "zwei.emf", {'k', 'e', 'i', 'n', ' ', 'E', 'M', 'F'});
    test::WriteBytes(in / "drei.emf", SmallEmf());
    const std::vector<std::string> files{in / "eins.emf", in / "zwei.emf", in / "drei.emf"};

    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    EXPECT_THROW(
        {
            try {
                runner.Run(files);
            } catch (const TmvError& e) {
                EXPECT_STREQ(e.what(), msg::InvalidMetafile);
                throw;
            }
        },
        EInvalidMetafile);
    EXPECT_EQ(rec.Lines, (std::vector<std::string>{"Konvertiere " + files[0] + "...",
                                                   "Konvertiere " + files[1] + "..."}));
    EXPECT_EQ(FolderListing(out.Path()), (std::vector<std::string>{"eins.dxf"}));
    EXPECT_EQ(rec.Percents, (std::vector<int>{33}));

    // A missing input ends the run with the file layer's message.
    TRecorder missing;
    TBatchRunner second = missing.Runner(out.Path().string());
    try {
        second.Run({in / "fehlt.emf"});
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Datei " + (in / "fehlt.emf") + " kann nicht geöffnet werden");
    }
}

TEST(BatchRun, KeepGoingReportsFailuresAndCountsTheRest) {
    TTempDir in, out;
    test::WriteBytes(in / "eins.emf", SmallEmf());
    test::WriteBytes(in / "drei.emf", SmallEmf());
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.KeepGoing = true;
    runner.ShowOutputName = true;
    TBatchResult result = runner.Run({in / "eins.emf", in / "zwei.emf", in / "drei.emf"});
    EXPECT_EQ(result.Converted, 2);
    EXPECT_EQ(result.Failed, 1);
    EXPECT_EQ(rec.Failures, (std::vector<std::string>{(in / "zwei.emf") + ": Datei " + (in / "zwei.emf") +
                                                      " kann nicht geöffnet werden"}));
    EXPECT_EQ(rec.Lines,
              (std::vector<std::string>{"Konvertiere " + (in / "eins.emf") + " -> " + (out / "eins.dxf"),
                                        "Konvertiere " + (in / "zwei.emf") + " -> " + (out / "zwei.dxf"),
                                        "Konvertiere " + (in / "drei.emf") + " -> " + (out / "drei.dxf"),
                                        "2 Dateien konvertiert, 1 fehlgeschlagen"}));
    EXPECT_EQ(rec.Percents, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(FolderListing(out.Path()), (std::vector<std::string>{"drei.dxf", "eins.dxf"}));
}

TEST(BatchRun, ParallelRunMatchesTheSerialOne) {
    TTempDir in;
    std::vector<std::string> files;
    for (int i = 0; i < 9; ++i) {
        // Appended piece by piece: g++ 12 warns falsely about a chain of + here.
        std::string sub = "d";
        sub += std::to_string(i % 3);
        fs::create_directories(in.Path() / sub);
        std::string name = sub;
        name += "/plan";
        name += std::to_string(i / 3 % 2);
        name += ".emf";
        const std::string path = in / name;
        if (!fs::exists(path)) {
            test::TEmfBuilder b;
            for (int k = 0; k <= i; ++k)
                b.Rectangle(k, k, 100 + 10 * i + k, 50);
            test::WriteBytes(path, b.Build());
        }
        files.push_back(path);
    }

    auto run = [&files](unsigned jobs, const fs::path& out, TRecorder& rec) {
        TBatchRunner runner = rec.Runner(out.string());
        runner.Jobs = jobs;
        runner.Run(files);
    };
    TTempDir serialOut, parallelOut;
    TRecorder serial, parallel;
    run(1, serialOut.Path(), serial);
    run(4, parallelOut.Path(), parallel);

    EXPECT_EQ(parallel.Lines, serial.Lines);
    EXPECT_EQ(parallel.Percents, serial.Percents);
    const std::vector<std::string> names = FolderListing(serialOut.Path());
    ASSERT_EQ(names.size(), 9u);
    ASSERT_EQ(FolderListing(parallelOut.Path()), names);
    for (const std::string& name : names)
        EXPECT_EQ(test::ReadText((parallelOut.Path() / name).string()),
                  test::ReadText((serialOut.Path() / name).string()))
            << name;
}

TEST(BatchRun, ParallelRunStopsAndRaisesTheFirstErrorInListOrder) {
    TTempDir in, out;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        std::string name = "f";
        name += std::to_string(i);
        name += ".emf";
        files.push_back(in / name);
        if (i != 2 && i != 4) test::WriteBytes(files.back(), SmallEmf());
    }
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.Jobs = 3;
    try {
        runner.Run(files);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("f2.emf"), std::string::npos);
    }
    EXPECT_NE(rec.Lines.back().find("Konvertiere"), std::string::npos);
    EXPECT_TRUE(fs::exists(out.Path() / "f0.dxf"));
    EXPECT_TRUE(fs::exists(out.Path() / "f1.dxf"));
}

TEST(BatchRun, FullDiskLeavesOnlyCompleteFiles) {
    TTempDir in, out, probe;
    test::WriteBytes(in / "eins.emf", SmallEmf());
    test::WriteBytes(in / "zwei.emf", SmallEmf());
    TRecorder first;
    first.Runner(probe.Path().string()).Run({in / "eins.emf"});
    const std::size_t oneFile = test::ReadText(probe / "eins.dxf").size();

    // Room for the first file and part of the second.
    SetOutputWriteLimitForTests(oneFile + oneFile / 2, ENOSPC);
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.KeepGoing = true;
    TBatchResult result = runner.Run({in / "eins.emf", in / "zwei.emf"});
    SetOutputWriteLimitForTests(0, 0);
    EXPECT_EQ(result.Failed, 1);
    EXPECT_EQ(rec.Failures,
              (std::vector<std::string>{(in / "zwei.emf") + ": Fehler beim Schreiben der Datei " +
                                        (out / "zwei.dxf") +
                                        ": Auf dem Gerät ist kein Speicherplatz mehr verfügbar"}));
    EXPECT_EQ(FolderListing(out.Path()), (std::vector<std::string>{"eins.dxf"}));
    EXPECT_EQ(test::ReadText(out / "eins.dxf"), test::ReadText(probe / "eins.dxf"));
}

TEST(BatchRun, OverwriteReplacesOnlyFilesAndOnlyWhenTheNewOneIsComplete) {
    TTempDir a, b, out, elsewhere;
    for (const char* name : {"plan.emf", "skizze.emf", "bild.emf"})
        test::WriteBytes(a / name, SmallEmf());
    test::WriteBytes(b / "plan.emf", SmallEmf());
    test::WriteBytes(out / "plan.dxf", {'a', 'l', 't'});
    test::WriteBytes(out / "plan0.dxf", {'a', 'l', 't'});
    test::WriteBytes(elsewhere / "ziel", {'z', 'i', 'e', 'l'});
    fs::create_symlink(elsewhere / "ziel", out.Path() / "skizze.dxf");
    fs::create_directory(out.Path() / "bild.dxf");

    // A full disk: the old file stays as it was, and no temporary file is left.
    SetOutputWriteLimitForTests(100, ENOSPC);
    TRecorder failing;
    TBatchRunner broken = failing.Runner(out.Path().string());
    broken.Overwrite = true;
    EXPECT_THROW(broken.Run({a / "plan.emf"}), EInOutError);
    SetOutputWriteLimitForTests(0, 0);
    EXPECT_EQ(test::ReadText(out / "plan.dxf"), "alt");

    // Two inputs of one name never share an output; a link or a folder of
    // the name is not replaced but numbered past.
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.Overwrite = true;
    runner.Run({a / "plan.emf", b / "plan.emf", a / "skizze.emf", a / "bild.emf"});
    EXPECT_EQ(FolderListing(out.Path()),
              (std::vector<std::string>{"bild.dxf", "bild0.dxf", "plan.dxf", "plan0.dxf", "skizze.dxf",
                                        "skizze0.dxf"}));
    const std::string fresh = test::ReadText(out / "bild0.dxf");
    EXPECT_EQ(test::ReadText(out / "plan.dxf"), fresh);
    EXPECT_EQ(test::ReadText(out / "plan0.dxf"), fresh);
    EXPECT_TRUE(fs::is_symlink(out.Path() / "skizze.dxf"));
    EXPECT_EQ(test::ReadText(elsewhere / "ziel"), "ziel");
}

TEST(BatchOptions, MappingReachesTheExporter) {
    TmvDXFExport exporter;
    TBatchOptions options;
    ConfigureExporter(exporter, options);
    EXPECT_EQ(exporter.Settings().AutoCADVersion, 1);
    EXPECT_FALSE(exporter.Settings().ParseWhite);
    EXPECT_TRUE(exporter.Settings().Use01MM);
    EXPECT_FALSE(exporter.InterpretSettings().AlternativeBlack);
    EXPECT_EQ(exporter.Settings().PenWidthRatio, -1.0L);

    options.R14 = true;
    options.ParseWhite = true;
    options.Use01MM = false;
    options.AlternativeBlack = true;
    options.PenWidthRatio = "0.25";
    ConfigureExporter(exporter, options);
    EXPECT_EQ(exporter.Settings().AutoCADVersion, 0);
    EXPECT_TRUE(exporter.Settings().ParseWhite);
    EXPECT_FALSE(exporter.Settings().Use01MM);
    EXPECT_TRUE(exporter.InterpretSettings().AlternativeBlack);
    EXPECT_EQ(exporter.Settings().PenWidthRatio, 0.25L);
}

TEST(BatchOptions, R14SwitchGivesAnR14File) {
    TTempDir in, out;
    test::WriteBytes(in / "plan.emf", SmallEmf());
    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.Options.R14 = true;
    runner.Run({in / "plan.emf"});
    const std::string text = test::ReadText(out / "plan.dxf");
    EXPECT_NE(text.find("AC1014"), std::string::npos);
    EXPECT_EQ(text.find("AC1015"), std::string::npos);
}

// Sets a locale with ',' as decimal separator for one test and restores the
// previous one.
class TGermanNumbers {
public:
    TGermanNumbers() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                  std::setlocale(LC_NUMERIC, "de_DE.utf8") != nullptr;
    }
    ~TGermanNumbers() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

TEST(BatchOptions, PenRatioIsParsedWithAPointWhateverTheLocale) {
    TGermanNumbers german;
    if (!german.Active()) GTEST_SKIP() << "no German locale installed";
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');

    EXPECT_EQ(ParsePenRatio(" 0.5 "), 0.5L);
    EXPECT_EQ(ParsePenRatio("0.5"), 0.5L);
    EXPECT_EQ(ParsePenRatio("-1.0"), -1.0L);
    EXPECT_EQ(ParsePenRatio("+2"), 2.0L);
    EXPECT_EQ(ParsePenRatio("1e-3"), 1e-3L);
    EXPECT_EQ(ParsePenRatio(".25"), 0.25L);
    // The value is read in extended precision, not rounded through double.
    EXPECT_EQ(ParsePenRatio("0.1"), 0.1L);
    for (const char* bad : {"abc", "", "   ", "0,5", "0.5x", "1e", "inf", "nan", "+-1", "1e99999", "0x10"})
        EXPECT_EQ(ParsePenRatio(bad), -1.0L) << bad;

    TmvDXFExport exporter;
    SetPenRatio(exporter, "\t0.75 ");
    EXPECT_EQ(exporter.Settings().PenWidthRatio, 0.75L);
    SetPenRatio(exporter, "abc");
    EXPECT_EQ(exporter.Settings().PenWidthRatio, -1.0L);
    EXPECT_EQ(*std::localeconv()->decimal_point, ',');
}

// A picture with a bitmap: the DXF gets its image files beside it, named in
// the messages; switched off, in classic, or when the DXF fails, none.
TEST(BatchRun, ImagesAreWrittenBesideTheDrawingOnlyWithIt) {
    TTempDir in, out, off, failed;
    test::TEmfBuilder b;
    b.StretchDIBits(test::Dib24({{0xFF0000, 0x00FF00}}), {0, 0, 20, 10}, {0, 0, 2, 1});
    b.Rectangle(0, 0, 100, 100);
    test::WriteBytes(in / "bild.emf", b.Build());

    TRecorder rec;
    TBatchRunner runner = rec.Runner(out.Path().string());
    runner.ShowImageFiles = true;
    runner.Run({in / "bild.emf"});
    EXPECT_EQ(FolderListing(out.Path()), (std::vector<std::string>{"bild.dxf", "bild_1.png"}));
    EXPECT_NE(std::find(rec.Lines.begin(), rec.Lines.end(), "Bild: " + (out / "bild_1.png")),
              rec.Lines.end());
    EXPECT_NE(test::ReadText(out / "bild.dxf").find("bild_1.png"), std::string::npos);

    for (bool classic : {false, true}) {
        TRecorder quiet;
        TBatchRunner without = quiet.Runner(off.Path().string());
        without.Options.Images = false;
        without.Options.Classic = classic;
        without.Overwrite = true;
        without.Run({in / "bild.emf"});
        EXPECT_EQ(FolderListing(off.Path()), (std::vector<std::string>{"bild.dxf"}));
    }

    // A full disk while the DXF is written: neither it nor its image stays.
    SetOutputWriteLimitForTests(100, ENOSPC);
    TRecorder failing;
    TBatchRunner broken = failing.Runner(failed.Path().string());
    broken.KeepGoing = true;
    const TBatchResult result = broken.Run({in / "bild.emf"});
    SetOutputWriteLimitForTests(0, 0);
    EXPECT_EQ(result.Failed, 1);
    EXPECT_TRUE(FolderListing(failed.Path()).empty());
}

} // namespace
} // namespace mv
