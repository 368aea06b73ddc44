// The create command where a careless capture would lose or hide a
// catalogue: the overwrite question and a replacement that fails, refused
// names, names with a dot, a window closed by hand after a success, and an
// empty data folder setting.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "core/CaptureTexts.h"
#include "core/CatalogFile.h"
#include "namespace/ProcessObjects.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/core/CaptureRun.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;

constexpr char kOverwriteText[] = "指定と同名のファイルが存在しています。\n既存ファイルに上書きしてよろしいですか？";
constexpr char kInvalidNameText[] = "ファイル名が正しくありません。\n正しいファイル名であるか確認してください。";

class CreateSafetyTest : public ViewedCaptureTest {
protected:
    // A catalogue of another folder under the name 古い: one file.
    std::string MakeOlderCatalogue() {
        elsewhere.MakeFile("old.txt", 5);
        Capture(elsewhere.Root(), DataPath("古い.vmf"), "古い");
        return FileBytes(DataPath("古い.vmf"));
    }
    HRESULT Create() { return InvokeVerb(CaptureMenuFor(source.Root()).Get(), 0); }

    TempTree elsewhere;
};

TEST_F(CreateSafetyTest, NoAndCancelKeepTheDialogAndTheFileAndYesReplacesItOnlyWithTheNewCatalogue) {
    const std::string before = MakeOlderCatalogue();
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetControlText(dialog, IDC_CATALOG_NAME, "古い");
        for (int answer : {IDNO, IDCANCEL}) {
            PressDialogButton(dialog, IDOK);
            EXPECT_EQ(AnswerMessage(answer), kOverwriteText);
            // Long enough for a wrongly started capture to show its window.
            EXPECT_EQ(WaitForOwnDialog(kProgressCaption, 2000), nullptr) << answer;
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_EQ(ControlText(dialog, IDC_CATALOG_NAME), "古い");
            EXPECT_EQ(FileBytes(DataPath("古い.vmf")), before);
        }
        PressDialogButton(dialog, IDOK);
        EXPECT_EQ(AnswerMessage(IDYES), kOverwriteText);
        HWND progress = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
        EXPECT_TRUE(WaitUntilClosed(progress));
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("古い.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "古い");
    EXPECT_EQ(header.fileCount, 2u);  // the new source's files
    EXPECT_EQ(FolderEntries(data.Root()), (Names{"音楽", "古い.vmf"}));
    EXPECT_EQ(rootView->calls, Names{"Update 古い.vmf"});
}

TEST_F(CreateSafetyTest, YesThenAFailedReplacementLeavesTheOlderCatalogueAsItWas) {
    const std::string before = MakeOlderCatalogue();
    PinnedFile pinned(DataPath("古い.vmf"));
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetControlText(dialog, IDC_CATALOG_NAME, "古い");
        PressDialogButton(dialog, IDOK);
        EXPECT_EQ(AnswerMessage(IDYES), kOverwriteText);
        HWND progress = WaitForWriteFailure();
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(FileBytes(DataPath("古い.vmf")), before);  // while the window shows the failure
        CloseProgress(progress);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    EXPECT_EQ(FileBytes(DataPath("古い.vmf")), before);
    EXPECT_EQ(FolderEntries(data.Root()), (Names{"音楽", "古い.vmf"}));  // no temporary file left
    EXPECT_TRUE(rootView->calls.empty());
}

TEST_F(CreateSafetyTest, YesThenACaptureThatCannotWriteLeavesTheOlderCatalogueAsItWas) {
    const std::string folder = MakeDeepFolder(data, 246);
    ProcessObjects::Settings().SetDataRoot(folder.c_str());
    const std::string before = MakeOlderCatalogue();
    ASSERT_TRUE(CopyFileA(DataPath("古い.vmf").c_str(), (folder + "\\a.vmf").c_str(), FALSE));
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetControlText(dialog, IDC_CATALOG_NAME, "a");
        PressDialogButton(dialog, IDOK);
        EXPECT_EQ(AnswerMessage(IDYES), kOverwriteText);
        HWND progress = WaitForWriteFailure(capture_text::kNameTooLong);
        ASSERT_NE(progress, nullptr);
        CloseProgress(progress);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    EXPECT_EQ(FileBytes(folder + "\\a.vmf"), before);
    EXPECT_EQ(FolderEntries(folder), Names{"a.vmf"});
}

TEST_F(CreateSafetyTest, NamesThatCannotBeAFileNameAreRefusedAndTheDialogStays) {
    const Names refused = {"", "a:b", "a\\b", "a/b", "x*y", "a|b", "a\"b", "a<b", "a>b", "a?b", "a;b",
                           "a\x01" "b", "\x1b[31m", "tab\there", ".vmf", ".VMF",
                           std::string(256, 'n'),  // longer than a catalogue name
                           std::string(250, 'n')}; // a path longer than the system's limit
    Names messages;
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        for (const std::string& name : refused) {
            SetControlText(dialog, IDC_CATALOG_NAME, name);
            PressDialogButton(dialog, IDOK);
            messages.push_back(AnswerMessage(IDOK));
            EXPECT_TRUE(IsWindowVisible(dialog)) << name;
        }
        PressDialogButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    EXPECT_EQ(messages, Names(refused.size(), kInvalidNameText));
    EXPECT_EQ(FolderEntries(data.Root()), Names{"音楽"});
    EXPECT_TRUE(rootView->calls.empty());
}

TEST_F(CreateSafetyTest, ANameWithADotStillGetsTheCatalogueExtension) {
    WindowScript first([] { NameAndCapture("Disc 1.0"); });
    EXPECT_EQ(Create(), S_OK);
    first.Finish();
    // A name that ends in the extension already keeps it once, in the file's
    // name only.
    WindowScript second([] { NameAndCapture("ソース.VMF"); });
    EXPECT_EQ(Create(), S_OK);
    second.Finish();
    WindowScript third([] { NameAndCapture("Disc.vmf"); });
    EXPECT_EQ(Create(), S_OK);
    third.Finish();
    EXPECT_EQ(FolderEntries(data.Root()), (Names{"Disc 1.0.vmf", "Disc.vmf", "ソース.VMF", "音楽"}));
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("Disc 1.0.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "Disc 1.0");  // the name as typed
    ASSERT_TRUE(ReadHeader(DataPath("ソース.VMF").c_str(), &header));
    EXPECT_STREQ(header.name, "ソース");
    ASSERT_TRUE(ReadHeader(DataPath("Disc.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "Disc");
    EXPECT_EQ(rootView->calls, (Names{"Add Disc 1.0.vmf", "Add ソース.VMF", "Add Disc.vmf"}));
}

TEST_F(CreateSafetyTest, ASuccessClosedByHandIsStillAnnounced) {
    WindowScript script([] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetChecked(dialog, IDC_CLOSE_WHEN_DONE, false);
        SetControlText(dialog, IDC_CATALOG_NAME, "手動");
        PressDialogButton(dialog, IDOK);
        HWND progress = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDCANCEL, "閉じる"));
        Sleep(1300);
        EXPECT_TRUE(IsWindowVisible(progress));
        CloseProgress(progress);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    EXPECT_TRUE(FileExists(DataPath("手動.vmf")));
    EXPECT_EQ(rootView->calls, Names{"Add 手動.vmf"});
}

TEST_F(CreateSafetyTest, AnEmptyDataFolderSettingCapturesIntoTheFallbackFolder) {
    ProcessObjects::Settings().SetDataRoot("");
    char appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    const std::string file = std::string(appData) + "\\Cataloom\\既定の場所.vmf";
    DeleteFileA(file.c_str());
    WindowScript script([] { NameAndCapture("既定の場所"); });
    EXPECT_EQ(Create(), S_OK);
    script.Finish();
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists("C:\\既定の場所.vmf"));
    EXPECT_FALSE(FileExists("\\既定の場所.vmf"));
    EXPECT_EQ(rootView->calls, Names{"Add 既定の場所.vmf"});
    DeleteFileA(file.c_str());
}

}  // namespace
}  // namespace cataloom::test
