#include "platform/Shell.h"
#include "platform/FileAccess.h"

#include "PlatformEnv.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace mv {
namespace {

using test::TScopedEnv;
using test::TTempHome;

void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

TEST(Shell, ProgramFolderIsTheExecutablesFolder) {
    std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(ExtractFileName(exe), "test_platform");
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder + "test_platform", exe);
    EXPECT_EQ(TLinuxShell().ProgramFolder(), folder);
}

TEST(Shell, ConfigFolderFollowsXdgConfigHome) {
    TTempHome home;
    EXPECT_EQ(ConfigFolder(), home.Home + "/.config");
    {
        TScopedEnv xdg("XDG_CONFIG_HOME", home.Home + "/cfg/");
        EXPECT_EQ(ConfigFolder(), home.Home + "/cfg");
    }
    // A relative value is not valid and is ignored.
    TScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(ConfigFolder(), home.Home + "/.config");
}

TEST(Shell, DocumentsFolderComesFromUserDirs) {
    TTempHome home;
    // Nothing configured and no ~/Documents: no documents folder.
    EXPECT_EQ(DocumentsFolder(), "");
    std::filesystem::create_directory(home.Home + "/Documents");
    EXPECT_EQ(DocumentsFolder(), home.Home + "/Documents");

    WriteText(home.Home + "/.config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                     "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                     "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(DocumentsFolder(), home.Home + "/Dokumente");
    EXPECT_EQ(TLinuxShell().DocumentsFolder(), home.Home + "/Dokumente");

    WriteText(home.Home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/data/Eigene \\\"Dateien\\\"/\"\n");
    EXPECT_EQ(DocumentsFolder(), "/data/Eigene \"Dateien\"");

    // Set to the home folder itself means the folder is switched off.
    WriteText(home.Home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(DocumentsFolder(), home.Home + "/Documents");

    // A value that is neither absolute nor below $HOME is not valid.
    WriteText(home.Home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"Docs\"\n");
    EXPECT_EQ(DocumentsFolder(), home.Home + "/Documents");

    // The file is looked for in XDG_CONFIG_HOME.
    TScopedEnv xdg("XDG_CONFIG_HOME", home.Home + "/elsewhere");
    WriteText(home.Home + "/elsewhere/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Texte\"\n");
    EXPECT_EQ(DocumentsFolder(), home.Home + "/Texte");
}

TEST(Shell, OpenWebAddressPassesTheAddressUntouched) {
    test::TTempDir dir;
    std::string opener = dir / "opener";
    std::string out = dir / "opened.txt";
    WriteText(opener, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + out + ".part\" && mv \"" + out + ".part\" \"" +
                          out + "\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    // Shell characters in the address must reach the opener as they are.
    std::string address = "https://example.org/a b?x=1&y=$(touch " + dir / "pwned" + ");'\"";
    auto start = std::chrono::steady_clock::now();
    TLinuxShell(opener).OpenWebAddress(address);
    for (int i = 0; i < 200 && !FileExists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(FileExists(out));
    EXPECT_EQ(test::ReadText(out), address);
    EXPECT_FALSE(FileExists(dir / "pwned"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Shell, OpenWebAddressWithAMissingOpenerReportsNothing) {
    EXPECT_NO_THROW(TLinuxShell("/nonexistent/opener").OpenWebAddress("https://example.org/"));
}

TEST(Shell, OpenWebAddressDoesNotWaitForTheOpener) {
    test::TTempDir dir;
    std::string opener = dir / "slow";
    WriteText(opener, "#!/bin/sh\nsleep 20\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    auto start = std::chrono::steady_clock::now();
    TLinuxShell(opener).OpenWebAddress("https://example.org/");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
} // namespace mv
