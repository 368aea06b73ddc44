// The update command where it could replace the wrong catalogue or lose
// one: several catalogues of the volume (the user is asked, naming the file),
// files without the magic, a replacement that fails, and a data folder
// setting with a trailing separator.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/CaptureTexts.h"
#include "core/CatalogFile.h"
#include "namespace/ProcessObjects.h"
#include "settings/SettingsStore.h"
#include "resources/CataloomResource.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;

class UpdateChoiceTest : public ViewedCaptureTest {
protected:
    void SetUp() override {
        ViewedCaptureTest::SetUp();
        elsewhere.MakeFile("old.txt", 5);
    }
    // A catalogue of another folder of the same drive: one file.
    std::string MakeCatalogue(const std::string& relative, const char* name) {
        Capture(elsewhere.Root(), DataPath(relative), name);
        return FileBytes(DataPath(relative));
    }
    HRESULT Update() { return InvokeVerb(CaptureMenuFor(source.Root()).Get(), 1); }
    static void WaitForTheCaptureToClose() {
        HWND progress = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
        EXPECT_TRUE(WaitUntilClosed(progress));
    }
    std::string Question(const std::string& relative) const {
        return "このボリュームのvmfが複数あります。\n次のファイルを更新してよろしいですか？\n\n" + DataPath(relative);
    }

    TempTree elsewhere;
};

TEST_F(UpdateChoiceTest, SeveralCataloguesOfTheVolumeAskFirstNamingTheFileNoChangesNothing) {
    const std::string top = MakeCatalogue("a.vmf", "A");
    const std::string category = MakeCatalogue("音楽\\b.vmf", "B");
    std::string question;
    WindowScript refuse([&] { question = AnswerMessage(IDNO); });
    EXPECT_EQ(Update(), S_OK);
    refuse.Finish();
    EXPECT_EQ(question, Question("a.vmf"));  // the data folder's own files come first
    EXPECT_EQ(FileBytes(DataPath("a.vmf")), top);
    EXPECT_EQ(FileBytes(DataPath("音楽\\b.vmf")), category);
    EXPECT_TRUE(rootView->calls.empty());

    WindowScript accept([&] {
        question = AnswerMessage(IDYES);
        WaitForTheCaptureToClose();
    });
    EXPECT_EQ(Update(), S_OK);
    accept.Finish();
    EXPECT_EQ(question, Question("a.vmf"));
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("a.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "A");
    EXPECT_EQ(header.fileCount, 2u);
    EXPECT_EQ(FileBytes(DataPath("音楽\\b.vmf")), category);
    EXPECT_EQ(rootView->calls, Names{"Update a.vmf"});
    EXPECT_TRUE(categoryView->calls.empty());
}

TEST_F(UpdateChoiceTest, FilesWithoutTheMagicDoNotCount) {
    // The volume's serial number, but not a catalogue.
    std::string fake = MakeCatalogue("nomagic.vmf", "偽");
    fake.replace(0, 4, "XXXX");
    data.WriteFile("nomagic.vmf", fake);
    MakeCatalogue("音楽\\c.vmf", "古いラベル");
    WindowScript script([] { WaitForTheCaptureToClose(); });  // no question: one catalogue counts
    EXPECT_EQ(Update(), S_OK);
    script.Finish();
    EXPECT_EQ(FileBytes(DataPath("nomagic.vmf")), fake);
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("音楽\\c.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "古いラベル");  // the old name, whatever the volume says now
    EXPECT_EQ(header.fileCount, 2u);
    EXPECT_EQ(categoryView->calls, Names{"Update c.vmf"});
    EXPECT_TRUE(rootView->calls.empty());
}

TEST_F(UpdateChoiceTest, AFailedUpdateLeavesTheOldCatalogueAsItWas) {
    const std::string before = MakeCatalogue("音楽\\c.vmf", "C");
    PinnedFile pinned(DataPath("音楽\\c.vmf"));
    WindowScript script([&] {
        HWND progress = WaitForWriteFailure();
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDCANCEL, "閉じる"));
        Sleep(1300);  // close-on-finish only after a success
        EXPECT_TRUE(IsWindowVisible(progress));
        CloseProgress(progress);
    });
    EXPECT_EQ(Update(), S_OK);
    script.Finish();
    EXPECT_EQ(FileBytes(DataPath("音楽\\c.vmf")), before);
    EXPECT_EQ(FolderEntries(DataPath("音楽")), Names{"c.vmf"});
    EXPECT_TRUE(categoryView->calls.empty());
}

TEST_F(UpdateChoiceTest, AnUpdateThatCannotWriteLeavesTheOldCatalogueAsItWas) {
    const std::string folder = MakeDeepFolder(data, 246);
    const std::string before = MakeCatalogue("a.vmf", "A");
    ASSERT_TRUE(MoveFileA(DataPath("a.vmf").c_str(), (folder + "\\a.vmf").c_str()));
    ProcessObjects::Settings().SetDataRoot(folder.c_str());
    WindowScript script([&] {
        HWND progress = WaitForWriteFailure(capture_text::kNameTooLong);
        ASSERT_NE(progress, nullptr);
        CloseProgress(progress);
    });
    EXPECT_EQ(Update(), S_OK);
    script.Finish();
    EXPECT_EQ(FileBytes(folder + "\\a.vmf"), before);
    EXPECT_EQ(FolderEntries(folder), Names{"a.vmf"});
}

TEST_F(UpdateChoiceTest, ADataFolderSettingWithATrailingSeparatorIsTheSameFolder) {
    MakeCatalogue("a.vmf", "A");
    ProcessObjects::Settings().SetDataRoot((data.Root() + "\\").c_str());
    WindowScript script([] { WaitForTheCaptureToClose(); });
    EXPECT_EQ(Update(), S_OK);
    script.Finish();
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("a.vmf").c_str(), &header));
    EXPECT_EQ(header.fileCount, 2u);
    EXPECT_EQ(rootView->calls, Names{"Update a.vmf"});
}

}  // namespace
}  // namespace cataloom::test
