// The name dialog driven as a user would: the proposed name, the check box,
// OK into a real capture, Cancel, and a volume that cannot be read.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "capture/CreateCatalogDialog.h"
#include "core/CaptureTexts.h"
#include "core/CatalogReader.h"
#include "resources/CataloomResource.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;

class CreateDialogTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        std::strcpy(request.source, source.Root().c_str());
    }
    CaptureRequest request;
};

// Types `name` into the open name dialog and presses OK.
HWND NameAndAccept(const std::string& name) {
    HWND dialog = WaitForOwnDialog(kCreateCaption);
    if (dialog == nullptr) {
        ADD_FAILURE() << "no name dialog";
        return nullptr;
    }
    SetControlText(dialog, IDC_CATALOG_NAME, name);
    PressDialogButton(dialog, IDOK);
    return dialog;
}

TEST_F(CreateDialogTest, ProposesTheSourceNameAndCapturesUnderTheTypedOne) {
    std::string proposed;
    bool checked = false;
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        proposed = ControlText(dialog, IDC_CATALOG_NAME);
        checked = IsChecked(dialog, IDC_CLOSE_WHEN_DONE);
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_CATALOG_NAME), EM_GETLIMITTEXT, 0, 0), 255);
        NameAndAccept("新しいディスク");
        HWND progress = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
        EXPECT_TRUE(WaitUntilClosed(progress));
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(CreateCatalogDialog(request).Run(nullptr), 1);
    script.Finish();
    EXPECT_EQ(proposed, SourceName());
    EXPECT_TRUE(checked);
    const std::string file = DataPath("新しいディスク.vmf");
    EXPECT_STREQ(request.resultFile, file.c_str());
    EXPECT_FALSE(request.replaced);
    EXPECT_STREQ(request.header.name, "新しいディスク");
    EXPECT_EQ(request.header.fileCount, 2u);
    EXPECT_EQ(FolderEntries(data.Root()), Names{"新しいディスク.vmf"});
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    EXPECT_EQ(EntryNames(reader, "新しいディスク\\sub"), Names{"b.txt"});
}

TEST_F(CreateDialogTest, CancelCapturesNothing) {
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        PressDialogButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(CreateCatalogDialog(request).Run(nullptr), 2);
    script.Finish();
    EXPECT_STREQ(request.resultFile, "");
    EXPECT_TRUE(FolderEntries(data.Root()).empty());
}

TEST_F(CreateDialogTest, AVolumeThatCannotBeReadIsReportedAndEndsTheDialog) {
    // A letter no test defines: Wine's mount manager keeps answering volume
    // queries for a letter a test defined and removed again.
    ASSERT_FALSE(GetVolumeInformationA("J:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    std::strcpy(request.source, "J:\\nowhere");
    std::string message;
    WindowScript script([&] { message = AnswerMessage(IDOK); });
    EXPECT_EQ(CreateCatalogDialog(request).Run(nullptr), 2);
    script.Finish();
    EXPECT_EQ(message, "メディアの情報を取得できませんでした。");
    EXPECT_TRUE(FolderEntries(data.Root()).empty());
}

}  // namespace
}  // namespace cataloom::test
