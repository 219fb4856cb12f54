// The stand-ins behave like the real services in what the window relies on.
#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace mv::test {
namespace {

TEST(FakePlatform, ScriptedDialogsRecordAndAnswerInOrder) {
    TScriptedDialogs d;
    d.MessageAnswers = {TMsgResult::Cancel};
    d.SaveAnswers = {std::string("/p/x.mvn")};
    EXPECT_EQ(d.MessageBox("Frage", "Datei/Neu", TMsgIcon::Information, TMsgButtons::OKCancel),
              TMsgResult::Cancel);
    EXPECT_EQ(d.MessageBox("Fehler", "", TMsgIcon::Error, TMsgButtons::OK), TMsgResult::OK);
    TFileDialogOptions o{"MVN Projekt Dateien|*.MVN", "mvn", "/p/", ""};
    EXPECT_EQ(d.SaveFileDialog(o), "/p/x.mvn");
    EXPECT_EQ(d.OpenFileDialog(o), std::nullopt);
    EXPECT_EQ(d.FolderDialog("Ausgabe", "/out"), std::nullopt);
    ASSERT_EQ(d.Calls.size(), 5u);
    EXPECT_EQ(d.Messages().size(), 2u);
    EXPECT_EQ(d.Calls[0].Caption, "Datei/Neu");
    EXPECT_EQ(d.Calls[1].Icon, TMsgIcon::Error);
    EXPECT_EQ(d.Calls[2].Kind, TScriptedDialogs::TKind::Save);
    EXPECT_EQ(d.Calls[2].Options.DefaultExt, "mvn");
    EXPECT_EQ(d.Calls[4].Options.InitialDir, "/out");
}

TEST(FakePlatform, MemorySettingsFailOnRequest) {
    TMemorySettings s;
    s.WriteValue("TMainForm", "DirectoryEdit1_Text", "/out");
    EXPECT_EQ(s.ReadString("tmainform", "directoryedit1_text", ""), "/out");
    s.FailReads = true;
    EXPECT_THROW(s.ReadValue("TMainForm", "DirectoryEdit1_Text"), TmvError);
    s.FailWrites = true;
    EXPECT_THROW(s.WriteInteger("TMainForm", "Left", 1), TmvError);
    EXPECT_EQ(s.WriteCount, 1);
    EXPECT_EQ(s.Peek("TMainForm", "Left"), std::nullopt);
}

TEST(FakePlatform, FileBrowserFollowsItsScript) {
    TFakeFileBrowser b;
    b.Contents["/data"] = {{"sub", true}, {"a.emf"}, {"b.wmf"}};
    b.Contents["/data/sub"] = {{"c.emf"}};
    b.MissingFolders = {"/gone"};
    b.SetSelectedFolder("/data");
    b.Select({"b.wmf", "sub", "a.emf"});
    EXPECT_EQ(b.SelectedCount(), 3);
    EXPECT_TRUE(b.SelectedIsFolder());
    EXPECT_EQ(b.SelectedFileNames(), (std::vector<std::string>{"a.emf", "b.wmf"}));
    b.OpenSelectedFolder();
    EXPECT_EQ(b.SelectedFolder(), "/data/sub");
    EXPECT_THROW(b.SetSelectedFolder("/gone"), EInvalidPath);
    try {
        b.SetSelectedFolder("/nowhere");
    } catch (const EInvalidPath& e) {
        EXPECT_STREQ(e.what(), "/nowhere: No such file or directory");
    }
    EXPECT_EQ(b.SelectedFolder(), "/data/sub");
    b.SetSelectedFolder("");
    EXPECT_EQ(b.SelectedFolder(), "/");
    EXPECT_EQ(b.SelectCalls.size(), 5u);
}

} // namespace
} // namespace mv::test
