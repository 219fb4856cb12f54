#include "platform/Settings.h"
#include "platform/Errors.h"

#include "PlatformEnv.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace mv {
namespace {

using test::ReadText;
using test::TTempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

TEST(IniFile, MissingFileReadsEmptyAndIsCreatedWithItsFolder) {
    TTempDir dir;
    TIniFile ini(dir / "cfg/sub/prog.ini");
    EXPECT_EQ(ini.ReadValue(kMainFormSection, kOutputFolderKey), std::nullopt);
    EXPECT_EQ(ini.ReadString(kMainFormSection, kOutputFolderKey, "def"), "def");
    ini.WriteValue(kMainFormSection, kOutputFolderKey, "/home/anna/Ausgabe");
    EXPECT_EQ(ReadText(dir / "cfg/sub/prog.ini"), "[TMainForm]\nDirectoryEdit1_Text=/home/anna/Ausgabe\n");
    EXPECT_EQ(TIniFile(dir / "cfg/sub/prog.ini").ReadValue("TMainForm", "DirectoryEdit1_Text"),
              "/home/anna/Ausgabe");
    EXPECT_FALSE(std::filesystem::exists(dir / "cfg/sub/prog.ini.tmp"));
}

TEST(IniFile, ValuesRoundTripUnchanged) {
    TTempDir dir;
    TIniFile ini(dir / "a.ini");
    for (std::string value : {"", " blanks around ", "\"quoted\"", "'single'", "\"", "a=b;c#d [x]",
                              "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", "\ttab"}) {
        ini.WriteValue("S", "K", value);
        EXPECT_EQ(ini.ReadValue("S", "K"), value);
    }
}

TEST(IniFile, KeepsOtherContentAndMatchesWithoutCase) {
    TTempDir dir;
    std::string path = dir / "a.ini";
    WriteText(path, "; comment\r\n[Other]\r\nLeft=5\r\n\r\n[tmainform]\r\n  directoryedit1_text =  /old  \r\n"
                    "Top=7\r\n\r\n[Last]\r\nX=1\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadValue("TMainForm", "DirectoryEdit1_Text"), "/old");
    EXPECT_EQ(ini.ReadInteger("TMAINFORM", "top", 0), 7);
    EXPECT_EQ(ini.ReadInteger("Other", "Left", 0), 5);
    EXPECT_EQ(ini.ReadValue("Other", "Top"), std::nullopt);
    ini.WriteValue("TMainForm", "DirectoryEdit1_Text", "/new");
    ini.WriteValue("TMainForm", "Width", "640");
    ini.WriteValue("Fresh", "Y", "2");
    EXPECT_EQ(ReadText(path), "; comment\n[Other]\nLeft=5\n\n[tmainform]\nDirectoryEdit1_Text=/new\nTop=7\n"
                              "Width=640\n\n[Last]\nX=1\n\n[Fresh]\nY=2\n");
}

TEST(IniFile, IntegersFallBackToTheDefault) {
    TTempDir dir;
    std::string path = dir / "a.ini";
    WriteText(path, "[S]\nA=12\nB=-3\nC=x1\nD=1x\nE=\nF=99999999999\nG= +4 \n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("S", "A", 0), 12);
    EXPECT_EQ(ini.ReadInteger("S", "B", 0), -3);
    for (const char* key : {"C", "D", "E", "F", "Missing"})
        EXPECT_EQ(ini.ReadInteger("S", key, 42), 42) << key;
    EXPECT_EQ(ini.ReadInteger("S", "G", 0), 4);
    ini.WriteInteger("S", "H", -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("S", "H", 0), -2147483647 - 1);
}

TEST(IniFile, FailuresAreErrorsWithTheFileName) {
    TTempDir dir;
    // The settings path is a folder: neither readable nor writable.
    std::filesystem::create_directory(dir / "folder.ini");
    TIniFile folder(dir / "folder.ini");
    EXPECT_THROW(folder.ReadValue("S", "K"), TmvError);
    try {
        folder.WriteValue("S", "K", "v");
        FAIL() << "no error";
    } catch (const TmvError& e) {
        EXPECT_NE(std::string(e.what()).find("folder.ini"), std::string::npos) << e.what();
    }
    // Its folder cannot be created because a file is in the way.
    WriteText(dir / "file", "x");
    EXPECT_THROW(TIniFile(dir / "file/prog.ini").WriteValue("S", "K", "v"), EFCreateError);
    EXPECT_EQ(TIniFile(dir / "file/prog.ini").ReadValue("S", "K"), std::nullopt);
}

TEST(IniFile, RefusesWhatTheLayoutCannotHold) {
    TTempDir dir;
    std::string path = dir / "a.ini";
    TIniFile ini(path);
    ini.WriteValue("S", "K", "kept");
    EXPECT_THROW(ini.WriteValue("S", "K", "line\nbreak"), TmvError);
    EXPECT_THROW(ini.WriteValue("S", "K", "cr\r"), TmvError);
    EXPECT_THROW(ini.WriteValue("S", "a=b", "v"), TmvError);
    EXPECT_THROW(ini.WriteValue("S", "", "v"), TmvError);
    EXPECT_THROW(ini.WriteValue("S]", "K", "v"), TmvError);
    EXPECT_THROW(ini.WriteValue("", "K", "v"), TmvError);
    EXPECT_EQ(ReadText(path), "[S]\nK=kept\n");
}

TEST(IniFile, DefaultPathIsNamedAfterTheProgram) {
    test::TTempHome home;
    EXPECT_EQ(DefaultSettingsPath(), home.Home + "/.config/test_platform.ini");
    test::TScopedEnv xdg("XDG_CONFIG_HOME", home.Home + "/xdg");
    EXPECT_EQ(DefaultSettingsPath(), home.Home + "/xdg/test_platform.ini");
}

TEST(FormPlacement, RoundTripsAndNeedsACompleteEntry) {
    TTempDir dir;
    TIniFile ini(dir / "a.ini");
    EXPECT_EQ(ReadFormPlacement(ini, kMainFormSection), std::nullopt);
    TFormPlacement p{-20, 30, 800, 600, TWindowState::Maximized};
    WriteFormPlacement(ini, kMainFormSection, p);
    auto back = ReadFormPlacement(ini, kMainFormSection);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Left, -20);
    EXPECT_EQ(back->Top, 30);
    EXPECT_EQ(back->Width, 800);
    EXPECT_EQ(back->Height, 600);
    EXPECT_EQ(back->State, TWindowState::Maximized);
    ini.WriteValue(kMainFormSection, "Width", "0");
    EXPECT_EQ(ReadFormPlacement(ini, kMainFormSection), std::nullopt);
    ini.WriteValue(kMainFormSection, "Width", "800");
    ini.WriteValue(kMainFormSection, "WindowState", "7");
    EXPECT_EQ(ReadFormPlacement(ini, kMainFormSection)->State, TWindowState::Normal);
}

} // namespace
} // namespace mv
