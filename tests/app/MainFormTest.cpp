#include "app/MainForm.h"

#include "app/MainFormTexts.h"

#include "EmfBuilder.h"
#include "FakePlatform.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TScriptedDialogs;
using Strings = std::vector<std::string>;

std::string Int32(std::int32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
    return s;
}

void WriteText(const std::string& path, const std::string& text) {
    test::WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

// The window over stand-ins; the program folder is a temporary folder.
class MainFormTest : public ::testing::Test {
protected:
    test::TTempDir programDir;
    test::TFakeShell shell;
    TScriptedDialogs dialogs;
    test::TFakeFileBrowser browser;
    test::TMemorySettings settings;
    std::vector<unsigned> changes;
    std::vector<std::int32_t> progressSeen;
    std::unique_ptr<TMainForm> form;

    MainFormTest() {
        shell.ProgramFolderValue = Prog();
        browser.Contents[programDir.Path().string()] = {};
        browser.Contents["/pics"] = {{"sub", true}, {"a.emf"}, {"b.wmf"}};
        browser.Contents["/pics/sub"] = {{"c.emf"}};
    }

    std::string Prog() const { return programDir.Path().string() + "/"; }

    void Create() {
        form = std::make_unique<TMainForm>(TMainFormServices{shell, dialogs, browser, browser, settings});
        form->SetOnChange([this](unsigned c) {
            changes.push_back(c);
            if (c & fcProgress) progressSeen.push_back(form->ProgressPercentage());
        });
    }

    bool Notified(unsigned bit) const {
        for (unsigned c : changes)
            if (c & bit) return true;
        return false;
    }

    // Adds files of one folder of the stand-in browser, as the user would.
    void AddFiles(const std::string& folder, const Strings& names) {
        browser.Contents[folder].clear();
        for (const std::string& name : names)
            browser.Contents[folder].push_back({name});
        browser.SetSelectedFolder(folder);
        browser.Select(names);
        form->AddBtnClick();
    }

    TScriptedDialogs::TCall LastMessage() const {
        auto messages = dialogs.Messages();
        return messages.empty() ? TScriptedDialogs::TCall{} : messages.back();
    }
};

TEST_F(MainFormTest, StartsWithDocumentsFolderDefaultsAndFavourites) {
    WriteText(Prog() + "folders.dat", "/pics/\r\n/B/\r\n");
    Create();
    EXPECT_EQ(form->ProgramFolder(), Prog());
    EXPECT_EQ(form->Caption(), "Tarvold Metrovane 1.0 - [noname.mvn]");
    EXPECT_EQ(form->OutputFolderText(), "/home/user/Documents");
    EXPECT_EQ(browser.Folder, programDir.Path().string());
    EXPECT_EQ(form->PrefListItems(), (Strings{"/pics/", "/B/"}));
    EXPECT_FALSE(form->Options().R14);
    EXPECT_FALSE(form->Options().ParseWhite);
    EXPECT_TRUE(form->Options().Use01MM);
    EXPECT_FALSE(form->Options().AlternativeBlack);
    EXPECT_EQ(form->Options().PenWidthRatio, "-1.0");
    EXPECT_EQ(form->ActivePage(), 0);
    EXPECT_FALSE(form->DelBtnEnabled());
    EXPECT_EQ(form->BatchCursor(), nullptr);
    EXPECT_TRUE(dialogs.Calls.empty());

    // Without a documents folder the output folder starts empty.
    shell.DocumentsFolderValue.clear();
    Create();
    EXPECT_EQ(form->OutputFolderText(), "");
}

TEST_F(MainFormTest, SettingsSurviveARestartTrimmed) {
    Create();
    form->FormShow();
    EXPECT_EQ(form->OutputFolderText(), "/home/user/Documents");
    EXPECT_FALSE(form->Placement());
    form->SetOutputFolderText("  /data/Ausgabe ");
    TFormPlacement placement{10, 20, 700, 480, TWindowState::Maximized};
    form->SetPlacement(placement);
    const TWindowLayout layout{{200, 300, 100}, {180, 200}, {150, 70, 70, 120}};
    form->SetLayout(layout);
    // The classic switch is the window's, not the batch's: no question at quitting.
    form->SetClassic(true);
    form->QuitBtnClick();
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(Notified(fcClosed));
    EXPECT_EQ(settings.Peek(kMainFormSection, kOutputFolderKey), "/data/Ausgabe");
    int writes = settings.WriteCount;
    form.reset();
    EXPECT_EQ(settings.WriteCount, writes) << "written once, at closing";

    Create();
    form->FormShow();
    EXPECT_EQ(form->OutputFolderText(), "/data/Ausgabe");
    ASSERT_TRUE(form->Placement());
    EXPECT_EQ(form->Placement()->Width, 700);
    EXPECT_EQ(form->Placement()->State, TWindowState::Maximized);
    EXPECT_EQ(form->Layout(), layout);
    EXPECT_TRUE(form->Options().Classic);

    // Destroyed without closing: the settings are written then.
    form->SetOutputFolderText("/anders");
    form.reset();
    EXPECT_EQ(settings.Peek(kMainFormSection, kOutputFolderKey), "/anders");
}

TEST_F(MainFormTest, SettingsErrorsAreReportedAndTheProgramGoesOn) {
    settings.FailReads = true;
    Create();
    form->FormShow();
    EXPECT_EQ(LastMessage().Caption, ui::ApplicationTitle);
    EXPECT_EQ(LastMessage().Icon, TMsgIcon::Error);
    EXPECT_EQ(LastMessage().Text, "Datei settings.ini kann nicht geöffnet werden.");
    EXPECT_EQ(form->OutputFolderText(), "/home/user/Documents");
    settings.FailWrites = true;
    EXPECT_TRUE(form->Close());
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(LastMessage().Text, "Datei settings.ini kann nicht erstellt werden.");
}

TEST_F(MainFormTest, ErrorReportAddsAPeriodAfterLettersAndDigits) {
    EXPECT_EQ(TMainForm::ErrorReportText("Metadatei ist ungültig"), "Metadatei ist ungültig.");
    EXPECT_EQ(TMainForm::ErrorReportText("Fehler 7"), "Fehler 7.");
    EXPECT_EQ(TMainForm::ErrorReportText("Ende."), "Ende.");
    EXPECT_EQ(TMainForm::ErrorReportText("Halt!"), "Halt!");
    EXPECT_EQ(TMainForm::ErrorReportText("Pfad/"), "Pfad/.");
    EXPECT_EQ(TMainForm::ErrorReportText(""), "");
}

TEST_F(MainFormTest, DoubleClickOpensAFolderOrAddsAllSelectedFiles) {
    Create();
    browser.SetSelectedFolder("/pics");
    browser.Select({"sub", "a.emf"});
    form->ShellList1DblClick();
    EXPECT_EQ(browser.Folder, "/pics/sub");
    EXPECT_EQ(form->Batch().ItemCount(), 0u);

    browser.SetSelectedFolder("/pics");
    browser.Select({"a.emf", "b.wmf"});
    form->ShellList1DblClick();
    EXPECT_EQ(form->BatchEntries(), (Strings{"/pics/a.emf", "/pics/b.wmf"}));
    EXPECT_EQ(form->ImageListItems(), (Strings{"a.emf", "b.wmf"}));
    // What was added is selected.
    EXPECT_EQ(form->ImageListSelection(), (std::vector<bool>{true, true}));
    EXPECT_TRUE(form->DelBtnEnabled());
    // A file already in the list is not added twice: its entry is selected.
    browser.Select({"b.wmf"});
    form->ShellList1DblClick();
    EXPECT_EQ(form->Batch().ItemCount(), 2u);
    EXPECT_EQ(form->ImageListSelection(), (std::vector<bool>{false, true}));
    EXPECT_EQ(form->ImageListItemIndex(), 1);
    // Two files from one folder: the folder once, first.
    EXPECT_EQ(form->PrefListItems(), (Strings{"/pics/"}));
    EXPECT_EQ(test::ReadText(Prog() + "folders.dat"), "/pics/\r\n");

    // Nothing selected: nothing happens.
    browser.Select({});
    form->ShellList1DblClick();
    EXPECT_EQ(form->Batch().ItemCount(), 2u);
}

TEST_F(MainFormTest, AddWithoutChosenFilesTakesTheFoldersMetafiles) {
    test::TTempDir in;
    for (const char* name : {"b.emf", "A.WMF", "notiz.txt"})
        WriteText(in / name, "x");
    Create();
    browser.Contents[in.Path().string()] = {};
    browser.SetSelectedFolder(in.Path().string());
    form->AddBtnClick();
    EXPECT_EQ(form->BatchEntries(), (Strings{in / "A.WMF", in / "b.emf"}));
    EXPECT_EQ(form->PrefListItems(), (Strings{in.Path().string() + "/"}));
}

TEST_F(MainFormTest, EnterInTheFileListAddsUnlessANameIsBeingEdited) {
    Create();
    browser.SetSelectedFolder("/pics");
    browser.Select({"a.emf"});
    browser.EditingLabel = true;
    EXPECT_FALSE(form->ShellList1KeyPress('\r'));
    EXPECT_EQ(form->Batch().ItemCount(), 0u);
    browser.EditingLabel = false;
    EXPECT_FALSE(form->ShellList1KeyPress('a'));
    EXPECT_EQ(form->Batch().ItemCount(), 0u);
    EXPECT_TRUE(form->ShellList1KeyPress('\r'));
    EXPECT_EQ(form->BatchEntries(), (Strings{"/pics/a.emf"}));
}

TEST_F(MainFormTest, RemovingLinesTwoAndFourOfFive) {
    Create();
    AddFiles("/five", {"1.emf", "2.emf", "3.emf", "4.emf", "5.emf"});
    ASSERT_EQ(form->Batch().ItemCount(), 5u);
    for (int i = 0; i < 5; ++i)
        form->SetImageListSelected(i, i == 1 || i == 3);
    form->ImageListKeyDown(VK_DELETE);
    EXPECT_EQ(form->BatchEntries(), (Strings{"/five/1.emf", "/five/3.emf", "/five/5.emf"}));
    // The entry that followed the last removed one is selected.
    EXPECT_EQ(form->ImageListSelection(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(form->ImageListItemIndex(), 2);
    EXPECT_EQ(form->BatchCursor(), nullptr);

    // Enter makes the entry under the item index current.
    form->SetImageListItemIndex(2);
    form->ImageListKeyDown(VK_RETURN);
    ASSERT_NE(form->BatchCursor(), nullptr);
    EXPECT_EQ(*form->BatchCursor(), "/five/5.emf");

    // Undo brings the removed entries back, with the selection they had;
    // a second undo takes back the add.
    form->UndoBatch();
    EXPECT_EQ(form->Batch().ItemCount(), 5u);
    EXPECT_EQ(form->ImageListSelection(), (std::vector<bool>{false, true, false, true, false}));
    form->UndoBatch();
    EXPECT_EQ(form->Batch().ItemCount(), 0u);
    EXPECT_FALSE(form->CanUndo());

    AddFiles("/five", {"1.emf", "2.emf", "3.emf"});
    for (int i = 0; i < 3; ++i)
        form->SetImageListSelected(i, true);
    form->DelBtnClick();
    EXPECT_EQ(form->Batch().ItemCount(), 0u);
    EXPECT_FALSE(form->DelBtnEnabled());
    EXPECT_EQ(form->ImageListItemIndex(), -1);
}

TEST_F(MainFormTest, ConvertButtonOnlySwitchesThePage) {
    Create();
    AddFiles("/pics", {"a.emf"});
    form->ConvertBtnClick();
    EXPECT_EQ(form->ActivePage(), 1);
    EXPECT_TRUE(Notified(fcPage));
    EXPECT_TRUE(form->MemoLines().empty());
    EXPECT_TRUE(dialogs.Calls.empty());
    form->SetActivePage(0);
    EXPECT_EQ(form->ActivePage(), 0);
}

TEST_F(MainFormTest, RunWithEmptyOutputFolderWritesIntoTheProgramFolder) {
    test::TTempDir in;
    auto emf = test::TEmfBuilder().Poly(4, {{0, 0}, {100, 50}, {200, 0}}).Build();
    test::WriteBytes(in / "plan.emf", emf);
    test::WriteBytes(in / "zwei.emf", emf);
    Create();
    AddFiles(in.Path().string(), {"plan.emf", "zwei.emf"});
    form->SetOutputFolderText("");
    form->SetProStatus(70);
    progressSeen.clear();
    form->GoBtn1Click();
    EXPECT_TRUE(fs::exists(Prog() + "plan.dxf"));
    EXPECT_TRUE(fs::exists(Prog() + "zwei.dxf"));
    EXPECT_EQ(form->MemoLines(),
              (Strings{"Konvertiere " + (in / "plan.emf") + "...", "Konvertiere " + (in / "zwei.emf") + "...",
                       "2 Dateien konvertiert..."}));
    // The bar starts empty and moves after each file.
    EXPECT_EQ(progressSeen, (std::vector<std::int32_t>{0, 50, 100}));
    EXPECT_EQ(form->ProgressPercentage(), 100);
    EXPECT_TRUE(dialogs.Calls.empty());

    // A second run appends below the first.
    form->GoBtn1Click();
    EXPECT_EQ(form->MemoLines().size(), 6u);
    EXPECT_TRUE(fs::exists(Prog() + "plan0.dxf"));
}

TEST_F(MainFormTest, RunFailuresNameTheFileAndCanBeSkipped) {
    Create();
    WriteText(Prog() + "datei", "x");
    form->SetOutputFolderText(Prog() + "datei/unter");
    form->GoBtn1Click();
    // The folder and the system's reason on a second line.
    EXPECT_EQ(LastMessage().Text, "Konnte den Ausgabeordner nicht erzeugen!\n" + Prog() +
                                      "datei/unter: " + SystemErrorText(ENOTDIR));
    EXPECT_EQ(LastMessage().Caption, "");
    EXPECT_EQ(LastMessage().Icon, TMsgIcon::Error);
    EXPECT_TRUE(form->MemoLines().empty());

    // A file that cannot be read: the box names it and why; "Abbrechen"
    // stops the run, and the count line tells of the failure.
    test::TTempDir in;
    test::WriteBytes(in / "gut.emf", test::TEmfBuilder().Poly(4, {{0, 0}, {100, 50}}).Build());
    AddFiles("/nirgends", {"fehlt.emf"});
    AddFiles(in.Path().string(), {"gut.emf"});
    form->SetOutputFolderText(Prog() + "out");
    form->GoBtn1Click();
    EXPECT_EQ(LastMessage().Caption, ui::ApplicationTitle);
    EXPECT_EQ(LastMessage().Icon, TMsgIcon::Error);
    EXPECT_EQ(LastMessage().Buttons, TMsgButtons::SkipCancel);
    EXPECT_EQ(LastMessage().Text,
              "Datei /nirgends/fehlt.emf kann nicht geöffnet werden.\n/nirgends/fehlt.emf: " +
                  SystemErrorText(ENOENT));
    EXPECT_EQ(form->MemoLines(),
              (Strings{"Konvertiere /nirgends/fehlt.emf...",
                       "/nirgends/fehlt.emf: Datei /nirgends/fehlt.emf kann nicht geöffnet werden",
                       "0 Dateien konvertiert, 1 fehlgeschlagen..."}));
    EXPECT_FALSE(fs::exists(Prog() + "out/gut.dxf"));

    // "Überspringen" goes on with the next file.
    form->SetMemoLines({});
    dialogs.MessageAnswers.push_back(TMsgResult::Skip);
    form->GoBtn1Click();
    EXPECT_TRUE(fs::exists(Prog() + "out/gut.dxf"));
    EXPECT_EQ(form->MemoLines().back(), "1 Dateien konvertiert, 1 fehlgeschlagen...");
    EXPECT_EQ(form->StatusText(), "1 Dateien konvertiert, 1 fehlgeschlagen...");
    EXPECT_EQ(form->ProgressText(), "Datei 2 von 2");
}

TEST_F(MainFormTest, CancelledRunLeavesNoFileBehindAndIgnoresASecondStart) {
    test::TTempDir in;
    auto emf = test::TEmfBuilder().Poly(4, {{0, 0}, {100, 50}, {200, 0}}).Build();
    test::WriteBytes(in / "eins.emf", emf);
    test::WriteBytes(in / "zwei.emf", emf);
    Create();
    AddFiles(in.Path().string(), {"eins.emf", "zwei.emf"});
    form->SetOutputFolderText(Prog() + "out");
    // While the first file is announced: the button again (nothing), then
    // "Abbrechen". The file in hand is converted, then removed again.
    int starts = 0;
    form->SetOnChange([&](unsigned c) {
        if (!(c & fcMemo) || form->MemoLines().size() != 1) return;
        EXPECT_TRUE(form->Running());
        form->GoBtn1Click();
        ++starts;
        form->CancelRun();
        EXPECT_EQ(form->StatusText(), ui::RunCancelling);
    });
    form->GoBtn1Click();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(form->Running());
    EXPECT_EQ(form->MemoLines(), (Strings{"Konvertiere " + (in / "eins.emf") + "...",
                                          "Konvertierung abgebrochen.", "0 Dateien konvertiert..."}));
    EXPECT_TRUE(fs::is_empty(Prog() + "out"));
    EXPECT_TRUE(dialogs.Calls.empty());
}

TEST_F(MainFormTest, ProgressPanelArithmetic) {
    Create();
    form->SetProStatus(33);
    TProgressPanelPaint paint = form->StatusBar1DrawPanel({300, 2, 350, 21});
    EXPECT_EQ(paint.Navy, (TRect{300, 2, 316, 21}));
    EXPECT_EQ(paint.ButtonFace, (TRect{316, 2, 350, 21}));
    EXPECT_EQ(form->ProgressRect(), (TRect{300, 2, 350, 21}));

    form->SetProStatus(60);
    EXPECT_EQ(form->ProgressRepaintKind(), TProgressRepaint::NavyPart);
    EXPECT_EQ(form->ProgressRepaintRect(), (TRect{300, 2, 330, 21}));
    form->SetProStatus(40);
    EXPECT_EQ(form->ProgressRepaintKind(), TProgressRepaint::WholeBar);
    EXPECT_EQ(form->ProgressPercentage(), 40);
    form->SetProStatus(60);
    EXPECT_EQ(form->ProgressRepaintKind(), TProgressRepaint::NavyPart);

    // Values outside 0..100 stay inside the panel.
    form->SetProStatus(250);
    EXPECT_EQ(form->StatusBar1DrawPanel({0, 0, 50, 19}).Navy, (TRect{0, 0, 50, 19}));
    form->SetProStatus(-5);
    EXPECT_EQ(form->StatusBar1DrawPanel({0, 0, 50, 19}).Navy, (TRect{0, 0, 0, 19}));
}

TEST_F(MainFormTest, SaveAsksForANameUntilThereIsAProject) {
    test::TTempDir documents;
    shell.DocumentsFolderValue = documents.Path().string();
    Create();
    AddFiles("/pics", {"a.emf"});
    form->SetAutoCADVer(true);
    form->SetOutputFolderText("/out");
    const std::string path = Prog() + "p.mvn";
    dialogs.SaveAnswers.push_back(path);
    form->SaveBtnClick();
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Calls[0].Kind, TScriptedDialogs::TKind::Save);
    EXPECT_EQ(dialogs.Calls[0].Options.Filter, "MVN Projekt Dateien|*.MVN");
    EXPECT_EQ(dialogs.Calls[0].Options.DefaultExt, "mvn");
    EXPECT_EQ(dialogs.Calls[0].Options.InitialDir, documents.Path().string());
    EXPECT_EQ(form->Caption(), "Tarvold Metrovane 1.0 - [p.mvn]");
    EXPECT_EQ(ReadProjectFile(path).Entries, (Strings{"/pics/a.emf"}));

    // Saved again without asking.
    AddFiles("/pics", {"b.wmf"});
    form->SaveBtnClick();
    EXPECT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(ReadProjectFile(path).Entries, (Strings{"/pics/a.emf", "/pics/b.wmf"}));

    // New asks only about a changed batch; cancelled, nothing changes.
    form->SetUse01MM(false);
    dialogs.MessageAnswers.push_back(TMsgResult::Cancel);
    form->NewBtnClick();
    EXPECT_EQ(form->Batch().ItemCount(), 2u);
    EXPECT_EQ(LastMessage().Caption, "Datei/Neu");
    EXPECT_EQ(LastMessage().Text.rfind("Änderungen am Projekt speichern?\n", 0), 0u);
    EXPECT_EQ(LastMessage().Buttons, TMsgButtons::YesNoCancel);

    form->NewBtnClick(); // "Nein": not saved
    EXPECT_TRUE(ReadProjectFile(path).Options.Use01MM);
    EXPECT_EQ(form->Batch().ItemCount(), 0u);
    EXPECT_EQ(form->Caption(), "Tarvold Metrovane 1.0 - [noname.mvn]");
    EXPECT_FALSE(form->Options().R14);
    EXPECT_TRUE(form->Options().Use01MM);
    EXPECT_EQ(form->OutputFolderText(), "/out");
    // After New, Save asks for a name again; it starts in the folder of the
    // last project.
    form->SaveBtnClick();
    EXPECT_EQ(dialogs.Calls.back().Kind, TScriptedDialogs::TKind::Save);
    EXPECT_EQ(dialogs.Calls.back().Options.InitialDir, Prog());
}

TEST_F(MainFormTest, OnlyAChangedBatchIsAskedAboutWhenQuitting) {
    Create();
    form->FormShow();
    EXPECT_TRUE(form->Close());
    EXPECT_TRUE(dialogs.Calls.empty());

    Create();
    AddFiles("/pics", {"a.emf"});
    form->SetParseWhite(true);
    form->SetParseWhite(false); // back as it was: still the added file
    EXPECT_TRUE(form->Modified());
    dialogs.MessageAnswers.push_back(TMsgResult::Cancel);
    form->QuitBtnClick();
    EXPECT_FALSE(form->Closed());
    EXPECT_EQ(LastMessage().Caption, "Beenden");
    // "Ja" saves first; a cancelled save dialog keeps the window open.
    dialogs.MessageAnswers.push_back(TMsgResult::Yes);
    form->QuitBtnClick();
    EXPECT_FALSE(form->Closed());
    const std::string path = Prog() + "q.mvn";
    dialogs.MessageAnswers.push_back(TMsgResult::Yes);
    dialogs.SaveAnswers.push_back(path);
    form->QuitBtnClick();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(ReadProjectFile(path).Entries, (Strings{"/pics/a.emf"}));

    // Opened and not changed, or changed and changed back: no question.
    Create();
    form->OpenFile(path);
    form->DropFiles({"/pics/b.wmf"});
    form->UndoBatch();
    std::size_t asked = dialogs.Calls.size();
    EXPECT_TRUE(form->Close());
    EXPECT_EQ(dialogs.Calls.size(), asked);
}

TEST_F(MainFormTest, OpenTakesBatchFolderAndSwitches) {
    const std::string path = Prog() + "x.mvn";
    WriteText(path, std::string(kProjectMagic) + Int32(2) + Int32(8) + "plan.emf" + Int32(12) +
                        "sub/plan.emf" + Int32(4) + "/out" + std::string("\0\2\0\1", 4));
    Create();
    // A changed batch: cancelled at the question, no dialog.
    AddFiles("/pics", {"a.emf"});
    dialogs.MessageAnswers.push_back(TMsgResult::Cancel);
    form->OpenBtnClick();
    EXPECT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Messages().back().Caption, "Datei/Öffnen");

    dialogs.OpenAnswers.push_back(path);
    form->OpenBtnClick();
    EXPECT_EQ(dialogs.Calls.back().Kind, TScriptedDialogs::TKind::Open);
    EXPECT_EQ(form->BatchEntries(), (Strings{Prog() + "plan.emf", "sub/plan.emf"}));
    EXPECT_EQ(form->ImageListItems(), (Strings{"plan.emf", "plan.emf"}));
    EXPECT_EQ(form->OutputFolderText(), "/out");
    EXPECT_FALSE(form->Options().R14);
    EXPECT_TRUE(form->Options().ParseWhite);
    EXPECT_FALSE(form->Options().Use01MM);
    EXPECT_TRUE(form->Options().AlternativeBlack);
    EXPECT_FALSE(form->Options().Classic) << "a project does not carry the classic switch";
    EXPECT_EQ(form->Caption(), "Tarvold Metrovane 1.0 - [x.mvn]");
    EXPECT_EQ(form->ProjectPath(), path);
}

TEST_F(MainFormTest, FailedOpenKeepsThePreviousBatch) {
    Create();
    AddFiles("/pics", {"a.emf", "b.wmf"});
    form->SetOutputFolderText("/vorher");
    auto expectUnchanged = [&] {
        EXPECT_EQ(form->BatchEntries(), (Strings{"/pics/a.emf", "/pics/b.wmf"}));
        EXPECT_EQ(form->ImageListItems(), (Strings{"a.emf", "b.wmf"}));
        EXPECT_EQ(form->OutputFolderText(), "/vorher");
        EXPECT_TRUE(form->Options().Use01MM);
        EXPECT_EQ(form->Caption(), "Tarvold Metrovane 1.0 - [noname.mvn]");
        EXPECT_EQ(form->ProjectPath(), "");
    };

    // Ends inside the second entry: the general error report.
    WriteText(Prog() + "kurz.mvn",
              std::string(kProjectMagic) + Int32(3) + Int32(6) + "/x.emf" + Int32(20) + "/abgeschnitten");
    form->OpenFile(Prog() + "kurz.mvn");
    EXPECT_EQ(LastMessage().Text, "Versuch hinter dem Dateiende zu lesen.");
    EXPECT_EQ(LastMessage().Caption, ui::ApplicationTitle);
    expectUnchanged();

    WriteText(Prog() + "klein.mvn", "tarvold metrovane 1.0" + Int32(0) + Int32(0) + std::string(4, '\0'));
    form->OpenFile(Prog() + "klein.mvn");
    EXPECT_EQ(LastMessage().Text, "Dies ist keine gültige MVN Projekt Datei");
    EXPECT_EQ(LastMessage().Caption, "");
    expectUnchanged();

    form->OpenFile(Prog() + "fehlt.mvn");
    EXPECT_EQ(LastMessage().Text,
              "MVN Projekt Datei öffnen: Konnte folgende Datei nicht öffnen: fehlt.mvn !");
    EXPECT_EQ(LastMessage().Icon, TMsgIcon::Error);
    expectUnchanged();

    form->SaveFile(Prog() + "kein/p.mvn");
    EXPECT_EQ(LastMessage().Text,
              "MVN Projekt Datei speichern: Konnte die folgende Datei nicht erstellen: p.mvn !");
    EXPECT_EQ(LastMessage().Caption, "");
    expectUnchanged();
}

TEST_F(MainFormTest, ReadOnlyProgramFolderKeepsFavouritesWithTheUser) {
    WriteText(Prog() + "folders.dat", "/alt/\r\n");
    test::TTempDir data;
    shell.UserDataFolderValue = data / "metrovane";
    shell.DocumentsFolderValue = data.Path().string();
    shell.ReadOnlyFolders = {Prog()};
    Create();
    EXPECT_EQ(form->PrefListItems(), (Strings{"/alt/"}));
    AddFiles("/pics", {"a.emf"});
    EXPECT_EQ(test::ReadText(data / "metrovane/folders.dat"), "/pics/\r\n/alt/\r\n");
    EXPECT_EQ(test::ReadText(Prog() + "folders.dat"), "/alt/\r\n");
    // An empty output folder text means the documents, not the program folder.
    EXPECT_EQ(form->DefaultOutputFolder(), data.Path().string() + "/");
    // The user's own copy is read from now on.
    Create();
    EXPECT_EQ(form->PrefListItems(), (Strings{"/pics/", "/alt/"}));
}

TEST_F(MainFormTest, FavouritesSelectFoldersWithoutMoving) {
    WriteText(Prog() + "folders.dat", "/pics/\r\n/weg/\r\n/pics/sub/\r\n");
    Create();
    std::size_t selects = browser.SelectCalls.size();
    form->PrefListBoxKeyPress('\r');
    EXPECT_EQ(browser.SelectCalls.size(), selects);

    form->SetPrefListItemIndex(2);
    form->PrefListBoxKeyPress('\r');
    EXPECT_EQ(browser.Folder, "/pics/sub");
    EXPECT_EQ(form->PrefListItems(), (Strings{"/pics/", "/weg/", "/pics/sub/"}));

    // A favourite whose folder is gone: the tree's error, the favourite stays.
    form->SetPrefListItemIndex(1);
    form->PrefListBoxDblClick();
    EXPECT_EQ(LastMessage().Caption, ui::ApplicationTitle);
    EXPECT_EQ(LastMessage().Text.rfind("/weg: ", 0), 0u) << LastMessage().Text;
    EXPECT_EQ(browser.Folder, "/pics/sub");
    EXPECT_EQ(form->PrefListItems().size(), 3u);

    // Adding from a favourite's folder moves it to the front.
    AddFiles("/pics/sub", {"c.emf"});
    EXPECT_EQ(form->PrefListItems(), (Strings{"/pics/sub/", "/pics/", "/weg/"}));
}

TEST_F(MainFormTest, BottomRowActions) {
    Create();
    form->wwwBtnClick();
    EXPECT_EQ(shell.OpenedAddresses, (Strings{ui::WebAddress}));
    form->AboutBtnClick();
    EXPECT_TRUE(Notified(fcAboutBox));
    EXPECT_FALSE(form->Closed());

    dialogs.FolderAnswers.push_back("/gewählt");
    form->DirectoryEdit1ButtonClick();
    EXPECT_EQ(form->OutputFolderText(), "/gewählt");
    EXPECT_EQ(dialogs.Calls.back().Options.InitialDir, "/home/user/Documents");
}

} // namespace
} // namespace mv
