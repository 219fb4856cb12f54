#include "platform/FileBrowser.h"

#include "TestUtil.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

std::vector<std::string> Names(const std::vector<TFileItem>& items) {
    std::vector<std::string> names;
    for (const auto& i : items)
        names.push_back(i.Name + (i.IsFolder ? "/" : ""));
    return names;
}

TEST(FileFilter, PatternsSeparatedBySemicolonsIgnoringCase) {
    const char* f = "*.emf;*.wmf";
    EXPECT_TRUE(MatchesFilter("plan.emf", f));
    EXPECT_TRUE(MatchesFilter("PLAN.WMF", f));
    EXPECT_TRUE(MatchesFilter("a.b.Emf", f));
    EXPECT_TRUE(MatchesFilter(".emf", f));
    EXPECT_FALSE(MatchesFilter("plan.emf.bak", f));
    EXPECT_FALSE(MatchesFilter("planemf", f));
    EXPECT_FALSE(MatchesFilter("plan.em", f));
    EXPECT_FALSE(MatchesFilter("plan.emf", ""));
    EXPECT_TRUE(MatchesFilter("x.MVN", "*.MVN"));
    EXPECT_TRUE(MatchesFilter("x.mvn", " *.txt ; *.mvn "));
    EXPECT_TRUE(MatchesFilter("README", "*.*"));
    EXPECT_TRUE(MatchesFilter("ab.emf", "a?.emf"));
    EXPECT_TRUE(MatchesFilter("\xC3\xA4.emf", "?.emf")); // one character, two bytes
    EXPECT_FALSE(MatchesFilter("abc.emf", "a?.emf"));
    EXPECT_TRUE(MatchesFilter("a-long-name-x-y.emf", "a*x*.emf"));
    // Many stars against a long name stay fast and correct.
    EXPECT_FALSE(MatchesFilter(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*b"));
}

class FileBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.Path().string();
        fs::create_directories(root + "/Sub B");
        fs::create_directories(root + "/sub a");
        fs::create_directories(root + "/.hidden");
        for (const char* f : {"b.EMF", "a.wmf", "C.emf", "notes.txt", ".secret.emf", "x.emf.bak"})
            Touch(root + "/" + f);
        fs::create_directories(root + "/fake.emf"); // a folder named like a metafile
        fs::create_symlink(root + "/a.wmf", root + "/link.wmf");
        fs::create_symlink(root + "/gone.emf", root + "/dangling.emf");
        fs::create_symlink(root + "/sub a", root + "/linked folder");
    }
    TTempDir dir;
    std::string root;
};

TEST_F(FileBrowserTest, ListsSubfoldersThenMatchingFiles) {
    EXPECT_EQ(Names(ListFolder(root, TFileBrowser::kMetafileFilter)),
              (std::vector<std::string>{"fake.emf/", "linked folder/", "sub a/", "Sub B/", "a.wmf", "b.EMF",
                                        "C.emf", "link.wmf"}));
    EXPECT_EQ(Names(ListFolder(root, "")),
              (std::vector<std::string>{"fake.emf/", "linked folder/", "sub a/", "Sub B/"}));
    EXPECT_TRUE(ListFolder(root + "/missing", "*.*").empty());
}

TEST_F(FileBrowserTest, SelectionAndFileNamesInListOrder) {
    TFileBrowser b;
    EXPECT_EQ(b.SelectedFolder(), "/");
    b.SetSelectedFolder(root + "/");
    EXPECT_EQ(b.SelectedFolder(), root);
    ASSERT_EQ(b.Items().size(), 8u);
    EXPECT_EQ(b.SelectedCount(), 0);
    EXPECT_FALSE(b.SelectedIsFolder());
    EXPECT_TRUE(b.SelectedFileNames().empty());

    b.SetSelected(6, true); // C.emf
    b.SetSelected(2, true); // sub a
    b.SetSelected(4, true); // a.wmf
    b.SetSelected(99, true);
    EXPECT_EQ(b.SelectedCount(), 3);
    EXPECT_TRUE(b.SelectedIsFolder());
    EXPECT_EQ(b.SelectedFileNames(), (std::vector<std::string>{"a.wmf", "C.emf"}));
    b.SetSelected(2, false);
    EXPECT_FALSE(b.SelectedIsFolder());
    b.SelectOnly(5);
    EXPECT_EQ(b.SelectedFileNames(), (std::vector<std::string>{"b.EMF"}));
    b.ClearSelection();
    EXPECT_EQ(b.SelectedCount(), 0);
}

TEST_F(FileBrowserTest, OpeningAFolderMovesTheTree) {
    Touch(root + "/sub a/inner.wmf");
    TFileBrowser b;
    int changes = 0;
    b.SetOnChange([&] { ++changes; });
    b.SetSelectedFolder(root);
    b.SelectOnly(1); // linked folder
    b.OpenSelectedFolder();
    EXPECT_EQ(b.SelectedFolder(), root + "/linked folder");
    EXPECT_EQ(Names(b.Items()), (std::vector<std::string>{"inner.wmf"}));
    EXPECT_EQ(b.SelectedCount(), 0);
    EXPECT_EQ(changes, 2);
    // With a file selected first, opening does nothing.
    b.SelectOnly(0);
    b.OpenSelectedFolder();
    EXPECT_EQ(b.SelectedFolder(), root + "/linked folder");
}

TEST_F(FileBrowserTest, UnresolvablePathsReportPathAndSystemError) {
    TFileBrowser b;
    b.SetSelectedFolder(root);
    auto messageFor = [&](const std::string& path) -> std::string {
        try {
            b.SetSelectedFolder(path);
        } catch (const EInvalidPath& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(messageFor(root + "/missing"), root + "/missing: " + SystemErrorText(ENOENT));
    EXPECT_EQ(messageFor(root + "/a.wmf"), root + "/a.wmf: " + SystemErrorText(ENOTDIR));
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
    if (::geteuid() != 0) {
        fs::create_directories(root + "/locked");
        fs::permissions(root + "/locked", fs::perms::none);
        EXPECT_EQ(messageFor(root + "/locked"), root + "/locked: " + SystemErrorText(EACCES));
        fs::permissions(root + "/locked", fs::perms::owner_all);
    }
    // The selection stays where it was.
    EXPECT_EQ(b.SelectedFolder(), root);
    EXPECT_EQ(b.Items().size(), 8u);
    // An empty path selects the root.
    b.SetSelectedFolder("");
    EXPECT_EQ(b.SelectedFolder(), "/");
}

TEST_F(FileBrowserTest, PathsAreNormalised) {
    TFileBrowser b;
    b.SetSelectedFolder(root + "//sub a/../Sub B/./");
    EXPECT_EQ(b.SelectedFolder(), root + "/Sub B");
    b.SetSelectedFolder("/");
    EXPECT_EQ(b.SelectedFolder(), "/");
}

TEST_F(FileBrowserTest, RefreshKeepsSelectedNamesAndSeesChanges) {
    TFileBrowser b;
    b.SetSelectedFolder(root);
    b.SelectOnly(5); // b.EMF
    b.SetEditingLabel(true);
    EXPECT_TRUE(b.IsEditingLabel());
    Touch(root + "/0first.emf");
    b.Refresh();
    EXPECT_EQ(b.Items().size(), 9u);
    EXPECT_EQ(b.SelectedFileNames(), (std::vector<std::string>{"b.EMF"}));
    b.SetFilter("*.txt");
    EXPECT_EQ(Names(b.Items()).back(), "notes.txt");
    // Changing the folder ends label editing.
    b.SetSelectedFolder(root + "/sub a");
    EXPECT_FALSE(b.IsEditingLabel());
}

} // namespace
} // namespace mv
