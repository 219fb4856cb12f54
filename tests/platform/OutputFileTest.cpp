// Output files appear complete under a name nobody had, or not at all.

#include "platform/OutputFile.h"
#include "platform/DisplayText.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every test runs with unnamed temporary files and with named ones.
class OutputFileTest : public ::testing::TestWithParam<bool> {
protected:
    OutputFileTest() { SetUnnamedTempFilesForTests(GetParam()); }
    ~OutputFileTest() override {
        SetUnnamedTempFilesForTests(true);
        SetOutputWriteLimitForTests(0, 0);
    }
};

TEST_P(OutputFileTest, NameAppearsOnlyWhenCommittedAndNothingIsReplacedOrFollowed) {
    TTempDir dir;
    test::WriteBytes(dir / "target.txt", {'t'});
    fs::create_symlink(dir / "target.txt", dir / "link.dxf");
    fs::create_symlink(dir / "nowhere", dir / "dangling.dxf");
    test::WriteBytes(dir / "old.dxf", {'o', 'l', 'd'});
    fs::create_directory(dir / "folder.dxf");
    {
        TOutputFile file(dir / "new.dxf");
        file.Stream() << "content";
        EXPECT_FALSE(fs::exists(dir / "new.dxf"));
        for (const char* taken : {"link.dxf", "dangling.dxf", "old.dxf", "folder.dxf"})
            EXPECT_FALSE(file.CommitNew(dir / taken)) << taken;
        EXPECT_TRUE(file.CommitNew(dir / "new.dxf"));
    }
    EXPECT_EQ(test::ReadText(dir / "new.dxf"), "content");
    EXPECT_EQ(test::ReadText(dir / "target.txt"), "t");
    EXPECT_EQ(test::ReadText(dir / "old.dxf"), "old");
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"dangling.dxf", "folder.dxf", "link.dxf",
                                                             "new.dxf", "old.dxf", "target.txt"}));
}

TEST_P(OutputFileTest, DroppedFilesLeaveNothingAndReplacingTakesTheLinkNotItsTarget) {
    TTempDir dir;
    {
        TOutputFile dropped(dir / "a.dxf");
        dropped.Stream() << "abc";
    }
    EXPECT_TRUE(Entries(dir.Path()).empty());
    EXPECT_THROW(TOutputFile(dir / "missing/d.dxf"), EFCreateError);

    // Whole-file writes replace; a failed one keeps the old contents.
    test::WriteBytes(dir / "target.txt", {'t'});
    fs::create_symlink(dir / "target.txt", dir / "p.mvn");
    WriteWholeFile(dir / "p.mvn", {"alt"});
    EXPECT_FALSE(fs::is_symlink(dir / "p.mvn"));
    SetOutputWriteLimitForTests(2, ENOSPC);
    EXPECT_THROW(WriteWholeFile(dir / "p.mvn", {"neu und ", "länger"}), EInOutError);
    SetOutputWriteLimitForTests(0, 0);
    EXPECT_EQ(test::ReadText(dir / "p.mvn"), "alt");
    EXPECT_EQ(test::ReadText(dir / "target.txt"), "t");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"p.mvn", "target.txt"}));
}

TEST_P(OutputFileTest, TerminatingSignalRemovesPendingFiles) {
    TTempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RemoveTempFilesOnSignals();
        TOutputFile first(dir / "a.dxf");
        TOutputFile second(dir / "b.dxf");
        first.Stream() << std::string(200000, 'x');
        ::raise(SIGTERM);
        ::_exit(0); // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(Entries(dir.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(TempKinds, OutputFileTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

TEST(DisplayText, ControlCharactersAreEscapedOrShownAndTheRestStays) {
    const std::string plain = "Pläne 2024/Übersicht (alt) – ¼.emf";
    EXPECT_EQ(EscapeControlChars(plain), plain);
    EXPECT_EQ(ShowControlChars(plain), plain);
    const std::string hostile = "a\nb\rc\td\x1b[31me\x7f"
                                "f\xc2\x9bg\xff\xc3";
    EXPECT_EQ(EscapeControlChars(hostile), "a\\nb\\rc\\td\\x1b[31me\\x7ff\\xc2\\x9bg\\xff\\xc3");
    EXPECT_EQ(ShowControlChars(hostile), "a␊b␍c␉d␛[31me␡f�g��");
    // Overlong forms and surrogates are no UTF-8 either.
    EXPECT_EQ(EscapeControlChars("\xc0\x8a\xed\xa0\x80"), "\\xc0\\x8a\\xed\\xa0\\x80");
}

} // namespace
} // namespace mv
