// A long search stopped by the button, by Escape and by the window's owner
// going away: the count found so far, the controls back, no hang and no
// object left behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "namespace/ObjectCount.h"
#include "namespace/ProcessObjects.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/searcher/SearcherTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tools/Searcher.h"

namespace cataloom::test {
namespace {

constexpr int kCatalogues = 150;
constexpr int kFilesEach = 2000;
constexpr int kEverything = kCatalogues * (kFilesEach + 1);  // the files and catalogues below the category

// Enough catalogues that a search for everything runs for a while.
class LongSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data_ = new SearchData;
        data_->Tree().MakeDir("多数");
        std::vector<EntryData> files;
        for (int i = 0; i < kFilesEach; ++i) files.push_back(File("file" + std::to_string(i) + ".txt", 100));
        for (int c = 0; c < kCatalogues; ++c) {
            CatalogHeader header = MakeHeader("disc" + std::to_string(c));
            ASSERT_TRUE(WriteCatalog(data_->Path("多数\\disc" + std::to_string(c) + ".vmf"), header,
                                     {{"disc" + std::to_string(c), 0, files}}));
        }
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }

    static std::string Root(HWND dialog) { return WindowText(GetDlgItem(dialog, kLocationBox)); }

    static SearchData* data_;
};
SearchData* LongSearchTest::data_ = nullptr;

int ListCount(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, kResultList, LVM_GETITEMCOUNT, 0, 0));
}

bool Searching(HWND dialog) { return WindowText(GetDlgItem(dialog, IDCANCEL)) == "中止"; }

TEST_F(LongSearchTest, StopShowsTheCountSoFarAndEnablesTheControlsAgain) {
    RunSearcher("", [](HWND dialog) {
        SetDlgItemTextA(dialog, kLocationBox, (Root(dialog) + "\\多数").c_str());
        StartSearch(dialog, "");
        ASSERT_TRUE(WaitUntil([&] { return Searching(dialog); }));
        EXPECT_EQ(StatusText(dialog).rfind("検索中 : ", 0), 0u) << StatusText(dialog);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kPatternBox)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kBrowseButton)));
        PressDialogButton(dialog, IDCANCEL);  // stops, does not close
        ASSERT_TRUE(WaitForEnd(dialog));
        const int found = ListCount(dialog);
        EXPECT_LT(found, kEverything);
        EXPECT_EQ(StatusText(dialog), FoundText(found));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), "閉じる");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kPatternBox)));
        EXPECT_TRUE(IsWindow(dialog));

        // Escape stops a running search too; the window stays.
        PressDialogButton(dialog, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return Searching(dialog); }));
        PostMessageA(GetDlgItem(dialog, kPatternBox), WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_LT(ListCount(dialog), kEverything);
        EXPECT_TRUE(IsWindow(dialog));

        // Run to its end, every row arrives.
        StartSearch(dialog, "");
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_EQ(ListCount(dialog), kEverything);
        EXPECT_EQ(StatusText(dialog), FoundText(kEverything));
    });
}

// Once the index exists, each edit of the pattern replaces the running
// search (no button), and Stop still stops the one that runs.
TEST_F(LongSearchTest, TypingReplacesTheSearchAndStopStopsIt) {
    RunSearcher("", [](HWND dialog) {
        SetDlgItemTextA(dialog, kLocationBox, (Root(dialog) + "\\多数").c_str());
        StartSearch(dialog, "file1999");  // builds the index
        ASSERT_TRUE(WaitForEnd(dialog, 120000));
        EXPECT_EQ(ListCount(dialog), kCatalogues);
        // A search for everything, replaced by typing before it ends.
        SetDlgItemTextA(dialog, kPatternBox, "");
        ASSERT_TRUE(WaitUntil([&] { return Searching(dialog); }));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kPatternBox)));
        for (char key : std::string("file1998"))
            PostMessageA(GetDlgItem(dialog, kPatternBox), WM_CHAR, static_cast<WPARAM>(key), 0);
        EXPECT_TRUE(WaitUntil([&] {
            return !Searching(dialog) && StatusText(dialog) == FoundText(kCatalogues) && ListCount(dialog) == kCatalogues;
        }, 60000)) << StatusText(dialog);
        // Stop during a search that typing started.
        SetDlgItemTextA(dialog, kPatternBox, "file");
        ASSERT_TRUE(WaitUntil([&] { return Searching(dialog); }));
        PressDialogButton(dialog, IDCANCEL);
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_LT(ListCount(dialog), kEverything);
        EXPECT_EQ(StatusText(dialog), FoundText(ListCount(dialog)));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), "閉じる");
        EXPECT_TRUE(IsWindow(dialog));
    });
}

TEST_F(LongSearchTest, EscapeClosesAnIdleWindow) {
    DWORD shown = 0;
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        shown = GetTickCount();
        PostMessageA(GetDlgItem(dialog, kPatternBox), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(OpenSearcherWindow(nullptr, ""), S_OK);
    EXPECT_TRUE(action.Done());
    EXPECT_NE(shown, 0u);
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(LongSearchTest, OwnerClosedDuringASearchEndsWindowAndTaskWithoutLeaks) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = OwnerProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SearcherTestOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowExA(0, "SearcherTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    const LONG objectsBefore = ObjectCount().Get();
    bool wasSearching = false;
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        SetDlgItemTextA(dialog, kPatternBox, "");
        PressDialogButton(dialog, IDOK);
        wasSearching = WaitUntil([&] { return Searching(dialog); });
        PostMessageA(owner, WM_CLOSE, 0, 0);  // destroys the owner and the window it owns
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(OpenSearcherWindow(owner, ""), S_OK);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(action.Done());
    EXPECT_TRUE(wasSearching);
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_LT(elapsed, 60000u);
    EXPECT_EQ(ObjectCount().Get(), objectsBefore);
    EXPECT_EQ(WaitForDialog(kSearcherCaption, GetCurrentProcessId(), 100), nullptr);
}

}  // namespace
}  // namespace cataloom::test
