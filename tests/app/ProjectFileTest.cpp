#include "app/ProjectFile.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace mv {
namespace {

using test::TTempDir;

std::string Int32(std::int32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
    return s;
}

std::string Counted(const std::string& s) {
    return Int32(static_cast<std::int32_t>(s.size())) + s;
}

std::string ReadRaw(const std::string& path) {
    return test::ReadText(path);
}

template <typename E> std::string ErrorOf(const std::string& bytes, const std::string& folder = "/proj/") {
    try {
        DecodeProject(bytes, folder);
    } catch (const E& e) {
        return e.what();
    }
    return "no error";
}

TEST(ProjectFile, EmptyBatchIsThirtyThreeBytes) {
    TTempDir dir;
    TProject project;
    project.Options.Use01MM = false;
    WriteProjectFile(dir / "leer.mvn", project);
    std::string expected = std::string("Tarvold Metrovane 1.0") + Int32(0) + Int32(0) + std::string(4, '\0');
    EXPECT_EQ(ReadRaw(dir / "leer.mvn"), expected);
    EXPECT_EQ(expected.size(), 33u);
}

TEST(ProjectFile, TwoEntriesWithFolderAndSwitches) {
    TTempDir dir;
    TProject project;
    project.Entries = {"C:/a.emf", "C:/b/c.wmf"};
    project.OutputFolder = "C:/out";
    project.Options.R14 = true;
    project.Options.ParseWhite = true;
    project.Options.Use01MM = false;
    project.Options.AlternativeBlack = false;
    WriteProjectFile(dir / "p.mvn", project);
    std::string expected = std::string("Tarvold Metrovane 1.0") + Int32(2) + Int32(8) + "C:/a.emf" +
                           Int32(10) + "C:/b/c.wmf" + Int32(6) + "C:/out" + std::string("\1\1\0\0", 4);
    EXPECT_EQ(ReadRaw(dir / "p.mvn"), expected);

    TProject back = ReadProjectFile(dir / "p.mvn");
    EXPECT_EQ(back.Entries, project.Entries);
    EXPECT_EQ(back.OutputFolder, "C:/out");
    EXPECT_TRUE(back.Options.R14);
    EXPECT_TRUE(back.Options.ParseWhite);
    EXPECT_FALSE(back.Options.Use01MM);
    EXPECT_FALSE(back.Options.AlternativeBlack);
    EXPECT_EQ(back.Options.PenWidthRatio, "-1.0");
}

TEST(ProjectFile, BareNamesLieBesideTheProjectFile) {
    std::string bytes = std::string(kProjectMagic) + Int32(4) + Counted("plan.emf") +
                        Counted("sub/plan.emf") + Counted("/abs/x.wmf") + Counted("") + Counted("") +
                        std::string(4, '\0');
    TProject project = DecodeProject(bytes, ProjectFolderOf("/proj/x.mvn"));
    EXPECT_EQ(project.Entries,
              (std::vector<std::string>{"/proj/plan.emf", "sub/plan.emf", "/abs/x.wmf", ""}));
    // A project path without a folder leaves bare names bare.
    EXPECT_EQ(ProjectFolderOf("x.mvn"), "");
    EXPECT_EQ(DecodeProject(bytes, ProjectFolderOf("x.mvn")).Entries[0], "plan.emf");
}

TEST(ProjectFile, AnyNonZeroSwitchByteIsChecked) {
    std::string bytes = std::string(kProjectMagic) + Int32(0) + Counted("") + std::string("\2\0\xff\0", 4);
    TProject project = DecodeProject(bytes, "");
    EXPECT_TRUE(project.Options.R14);
    EXPECT_FALSE(project.Options.ParseWhite);
    EXPECT_TRUE(project.Options.Use01MM);
    EXPECT_FALSE(project.Options.AlternativeBlack);
}

TEST(ProjectFile, MagicMustMatchExactly) {
    std::string tail = Int32(0) + Counted("") + std::string(4, '\0');
    EXPECT_EQ(ErrorOf<EProjectInvalid>("tarvold metrovane 1.0" + tail),
              "Dies ist keine gültige MVN Projekt Datei");
    EXPECT_EQ(ErrorOf<EProjectInvalid>("Tarvold Metrovane 1.1" + tail),
              "Dies ist keine gültige MVN Projekt Datei");
    EXPECT_EQ(ErrorOf<EProjectInvalid>("Tarvold"), "Dies ist keine gültige MVN Projekt Datei");
    EXPECT_EQ(ErrorOf<EProjectInvalid>(""), "Dies ist keine gültige MVN Projekt Datei");
}

TEST(ProjectFile, EveryShortenedFileIsRejected) {
    std::string full = std::string(kProjectMagic) + Int32(2) + Counted("/a.emf") + Counted("b.wmf") +
                       Counted("/out") + std::string("\1\0\1\0", 4);
    ASSERT_NO_THROW(DecodeProject(full, "/p/"));
    for (std::size_t n = kProjectMagic.size(); n < full.size(); ++n)
        EXPECT_EQ(ErrorOf<EInOutError>(full.substr(0, n)), "Versuch hinter dem Dateiende zu lesen") << n;
    // Bytes after the switches do not matter.
    EXPECT_NO_THROW(DecodeProject(full + "rest", "/p/"));
}

TEST(ProjectFile, DamagedLengthsAreErrorsNotAllocations) {
    std::string head = std::string(kProjectMagic);
    // A negative string length.
    EXPECT_EQ(ErrorOf<EProjectInvalid>(head + Int32(1) + Int32(-5) + "abcde"),
              "Dies ist keine gültige MVN Projekt Datei");
    // A length far beyond the end of the file.
    EXPECT_EQ(ErrorOf<EInOutError>(head + Int32(1) + Int32(0x7fffffff) + "abc"),
              "Versuch hinter dem Dateiende zu lesen");
    // A huge entry count with nothing behind it.
    EXPECT_EQ(ErrorOf<EInOutError>(head + Int32(0x7fffffff) + Counted("x")),
              "Versuch hinter dem Dateiende zu lesen");
    // A negative count means no entries.
    TProject project = DecodeProject(head + Int32(-3) + Counted("/o") + std::string(4, '\0'), "");
    EXPECT_TRUE(project.Entries.empty());
    EXPECT_EQ(project.OutputFolder, "/o");
}

TEST(ProjectFile, OpenAndCreateFailuresNameTheFileOnly) {
    TTempDir dir;
    try {
        ReadProjectFile(dir / "fehlt.mvn");
        ADD_FAILURE();
    } catch (const EProjectOpenError& e) {
        EXPECT_STREQ(e.what(), "MVN Projekt Datei öffnen: Konnte folgende Datei nicht öffnen: fehlt.mvn !");
    }
    // A folder is no project file.
    EXPECT_THROW(ReadProjectFile(dir.Path().string()), EProjectOpenError);
    try {
        WriteProjectFile(dir / "kein/ordner.mvn", TProject{});
        ADD_FAILURE();
    } catch (const EProjectCreateError& e) {
        EXPECT_STREQ(e.what(),
                     "MVN Projekt Datei speichern: Konnte die folgende Datei nicht erstellen: ordner.mvn !");
    }
}

TEST(ProjectFile, NonAsciiPathsAreKeptAsBytes) {
    TTempDir dir;
    TProject project;
    project.Entries = {"/bilder/größe.emf"};
    project.OutputFolder = "/ausgabe/übung";
    WriteProjectFile(dir / "u.mvn", project);
    // UTF-8 as it is: "größe" counts 7 bytes.
    EXPECT_EQ(ReadRaw(dir / "u.mvn").substr(25, 4), Int32(19));
    TProject back = ReadProjectFile(dir / "u.mvn");
    EXPECT_EQ(back.Entries, project.Entries);
    EXPECT_EQ(back.OutputFolder, project.OutputFolder);
}

} // namespace
} // namespace mv
