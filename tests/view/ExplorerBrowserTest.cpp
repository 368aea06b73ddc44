// The folder view created by the shell's own browser component, as Wine's
// explorer creates it: browsing to the namespace root, a category, a
// catalogue and a directory inside it, with the folder served by this
// program and by the built library.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;
using Table = std::vector<Texts>;
using HeaderList = std::vector<HeaderColumn>;

const HeaderList kMediaHeaders = {{"ラベル", LVCFMT_LEFT, 100},
                                  {"合計サイズ", LVCFMT_RIGHT, 100},
                                  {"空き領域", LVCFMT_RIGHT, 100},
                                  {"シリアルID", LVCFMT_RIGHT, 80},
                                  {"取得日時", LVCFMT_LEFT, 120}};
const HeaderList kEntryHeaders = {{"名前", LVCFMT_LEFT, 200},
                                  {"サイズ", LVCFMT_RIGHT, 100},
                                  {"ファイルの種類", LVCFMT_LEFT, 100},
                                  {"更新日時", LVCFMT_LEFT, 150}};

const Table kRootRows = {{"ソフト", "", "", "", ""},
                         {"音楽", "", "", "", ""},
                         {"alpha", "3KB", "1KB", "FFFFFFFF", "2024/01/02 03:04"},
                         {"Beta", "1KB", "1KB", "00001A2B", "（不明）"},
                         {"ガンマ", "1,234,568KB", "1KB", "00ABCDEF", "2025/06/07 08:09"}};
const Table kCategoryRows = {{"道具", "5KB", "4KB", "00001A2B", "2023/03/04 05:06"}};
const Table kCatalogueRows = {{"CD1", "", "Folder", "（不明）"},
                              {"ソフト", "", "Folder", "2021/11/12 13:14"},
                              {"a.bin", "1KB", ".bin file", "2024/07/08 09:10"},
                              {"b.txt", "5KB", ".txt file", "2019/01/01 00:00"},
                              {"readme.txt", "2KB", ".txt file", "2022/02/03 04:05"}};
const Table kDirectoryRows = {{"表", "", "Folder", "2020/10/09 08:07"}};

// Browses the host to "::{CLSID}\where" and waits for the namespace's list.
HWND BrowseTo(ExplorerHost& host, const std::string& where) {
    IdList list = ParseFromDesktop(where);
    EXPECT_TRUE(list) << where;
    if (!list) return nullptr;
    HWND before = host.View();
    EXPECT_EQ(host.Browse(list.Get()), S_OK) << where;
    EXPECT_TRUE(PumpUntil([&] { return host.List() != nullptr && host.View() != before; })) << where;
    return host.List();
}

// Browses every level; the module whose window class the last view used.
HMODULE BrowseAllLevels() {
    ViewData data;
    ExplorerHost host;
    EXPECT_EQ(host.Initialized(), S_OK);

    HWND list = BrowseTo(host, "");
    if (list == nullptr) return nullptr;
    EXPECT_EQ(GetDlgCtrlID(list), 2000);
    EXPECT_EQ(Headers(list), kMediaHeaders);
    EXPECT_EQ(Rows(list), kRootRows);

    list = BrowseTo(host, "ソフト");
    if (list == nullptr) return nullptr;
    EXPECT_EQ(Headers(list), kMediaHeaders);
    EXPECT_EQ(Rows(list), kCategoryRows);

    list = BrowseTo(host, "ソフト\\道具.vmf");
    if (list == nullptr) return nullptr;
    EXPECT_EQ(Headers(list), kEntryHeaders);
    EXPECT_EQ(Rows(list), kCatalogueRows);

    // A directory whose name's trail byte is a backslash.
    list = BrowseTo(host, "ソフト\\道具.vmf\\ソフト");
    if (list == nullptr) return nullptr;
    EXPECT_EQ(Headers(list), kEntryHeaders);
    EXPECT_EQ(Rows(list), kDirectoryRows);
    return reinterpret_cast<HMODULE>(GetClassLongPtrA(host.View(), GCLP_HMODULE));
}

TEST(ExplorerBrowserTest, BrowsesEveryLevelOfTheNamespace) {
    EXPECT_EQ(BrowseAllLevels(), GetModuleHandleA(nullptr));
}

TEST(ExplorerBrowserTest, ShowsIconsColoursAndSortsByColumnClicks) {
    ViewData data;
    ExplorerHost host;
    ASSERT_EQ(host.Initialized(), S_OK);
    HWND list = BrowseTo(host, "");
    ASSERT_NE(list, nullptr);
    // Without colour settings: white text on black.
    EXPECT_EQ(SendMessageA(list, LVM_GETBKCOLOR, 0, 0), 0x000000);
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), 0x000000);
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0), 0xFFFFFF);
    const IconCache& icons = ProcessObjects::Icons();
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), reinterpret_cast<LRESULT>(icons.SmallList()));
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(icons.LargeList()));
    EXPECT_EQ(RowImage(list, 0), icons.CategoryIcon(false));
    EXPECT_EQ(RowImage(list, 2), icons.MediaIcon(DRIVE_FIXED));
    EXPECT_NE(icons.CategoryIcon(false), icons.MediaIcon(DRIVE_FIXED));

    // Total size: ascending, then descending; the categories stay first
    // (among themselves by name).  The list refills after the click.
    ClickColumn(list, 1);
    PumpMessages();
    EXPECT_EQ(ColumnTexts(list), (Texts{"ソフト", "音楽", "Beta", "alpha", "ガンマ"}));
    ClickColumn(list, 1);
    PumpMessages();
    EXPECT_EQ(ColumnTexts(list), (Texts{"音楽", "ソフト", "ガンマ", "alpha", "Beta"}));
}

class ExplorerBrowserDllTest : public DllBackedNamespace {};

TEST_F(ExplorerBrowserDllTest, BrowsesEveryLevelThroughTheLibrary) {
    // The views are the library's: its window class, not this program's.
    EXPECT_EQ(BrowseAllLevels(), GetModuleHandleA("Cataloom.dll"));
}

}  // namespace
}  // namespace cataloom::test
