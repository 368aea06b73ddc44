// The folder view hosted in our own browser, with its full services and
// refusing what Wine's browser refuses: columns and colours from the
// settings, the view modes, sorting by every column, opening folders with
// the mouse and going back, the status text, views of one folder kept up to
// date, the browser's menus and controls, and CataloomBrowser.exe itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "namespace/CatalogFolder.h"
#include "settings/ClassIds.h"
#include "namespace/ObjectCount.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;

// The namespace root's parsing name as Wine's desktop gives it back: the
// CLSID in lower case.
std::string RootParsingName() {
    std::string name = kFolderParsingName;
    CharLowerA(&name[0]);
    return name;
}
const std::string kRoot = RootParsingName();
// The root as the address line shows it, like the shell's address bar.
const std::string kShown = "Cataloom";

class BrowserTest : public ::testing::TestWithParam<bool> {
protected:
    bool LikeWine() const { return GetParam(); }
    // Opens "::{CLSID}\where" in the browser; its list.
    HWND Open(const std::string& where, BrowserHost& in) {
        IdList place = ParseFromDesktop(where);
        EXPECT_TRUE(place) << where;
        HWND before = in.View();
        EXPECT_EQ(in.Browse(place.Get()), S_OK) << where;
        EXPECT_TRUE(PumpUntil([&] { return in.List() != nullptr && in.View() != before; })) << where;
        return in.List();
    }
    HWND Open(const std::string& where) { return Open(where, browser); }
    std::string Address() const { return WindowText(browser.Frame()->Address()); }
    // Double-clicks the row named `name` and waits for the browser to show `where`.
    HWND OpenRow(const char* name, const std::string& where) {
        HWND list = browser.List();
        Texts names = ColumnTexts(list);
        auto row = std::find(names.begin(), names.end(), name);
        EXPECT_NE(row, names.end()) << name;
        if (row == names.end()) return nullptr;
        DoubleClickRow(list, static_cast<int>(row - names.begin()));
        EXPECT_TRUE(PumpUntil([&] { return Address() == where && browser.List() != list; })) << Address();
        return browser.List();
    }

    ViewData data;
    BrowserHost browser{LikeWine()};
};

TEST_P(BrowserTest, ColumnsAndColoursComeFromTheSettings) {
    SettingsStore& settings = ProcessObjects::Settings();
    const std::int32_t browserWidths[] = {111, 122, 133, 144, 155};
    const std::int32_t viewerWidths[] = {201, 102};  // a shorter value keeps the last defaults
    settings.SetBrowserColumns(browserWidths, 5);
    settings.SetViewerColumns(viewerWidths, 2);
    settings.SetBgColor(0x00336699);
    settings.SetTextColor(0x00CCEEFF);

    HWND list = Open("");
    EXPECT_EQ(Headers(list), (std::vector<HeaderColumn>{{"ラベル", LVCFMT_LEFT, 111},
                                                        {"合計サイズ", LVCFMT_RIGHT, 122},
                                                        {"空き領域", LVCFMT_RIGHT, 133},
                                                        {"シリアルID", LVCFMT_RIGHT, 144},
                                                        {"取得日時", LVCFMT_LEFT, 155}}));
    EXPECT_EQ(SendMessageA(list, LVM_GETBKCOLOR, 0, 0), 0x00336699);
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), 0x00336699);
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0), 0x00CCEEFF);
    EXPECT_EQ(Rows(list)[3], (Texts{"Beta", "1KB", "1KB", "00001A2B", "（不明）"}));
    // Categories can be renamed in place; entries of a catalogue cannot.
    EXPECT_NE(GetWindowLongPtrA(list, GWL_STYLE) & LVS_EDITLABELS, 0);

    list = Open("ソフト\\道具.vmf");
    EXPECT_EQ(Headers(list), (std::vector<HeaderColumn>{{"名前", LVCFMT_LEFT, 201},
                                                        {"サイズ", LVCFMT_RIGHT, 102},
                                                        {"ファイルの種類", LVCFMT_LEFT, 100},
                                                        {"更新日時", LVCFMT_LEFT, 150}}));
    EXPECT_EQ(Rows(list)[4], (Texts{"readme.txt", "2KB", ".txt file", "2022/02/03 04:05"}));
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_EDITLABELS, 0);
    EXPECT_EQ(StartLabelEdit(list, 4), nullptr);
}

TEST_P(BrowserTest, AStoredViewModeWinsOverTheBrowsersOne) {
    browser.Close();
    BrowserHost smallIcons(LikeWine(), FVM_SMALLICON);
    struct Case {
        DWORD stored;
        LONG_PTR style;
        UINT mode;
    };
    for (const Case& mode : {Case{1, LVS_ICON, FVM_ICON}, Case{2, LVS_SMALLICON, FVM_SMALLICON},
                             Case{3, LVS_LIST, FVM_LIST}, Case{4, LVS_REPORT, FVM_DETAILS},
                             Case{0, LVS_SMALLICON, FVM_SMALLICON}, Case{5, LVS_SMALLICON, FVM_SMALLICON}}) {
        ProcessObjects::Settings().SetDefViewMode(mode.stored);
        HWND list = Open(mode.stored % 2 == 0 ? "" : "ソフト", smallIcons);
        EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, mode.style) << mode.stored;
        FOLDERSETTINGS current = {};
        EXPECT_EQ(smallIcons.CurrentView()->GetCurrentInfo(&current), S_OK);
        EXPECT_EQ(current.ViewMode, mode.mode) << mode.stored;
        EXPECT_EQ(ItemCount(list), mode.stored % 2 == 0 ? 5 : 1);
    }
}

TEST_P(BrowserTest, EveryColumnSortsBothWaysWithCategoriesAndDirectoriesFirst) {
    struct Order {
        int column;
        Texts ascending;
        Texts descending;
    };
    HWND list = Open("");
    const Order catalogues[] = {
        {0, {"ソフト", "音楽", "alpha", "Beta", "ガンマ"}, {"音楽", "ソフト", "ガンマ", "Beta", "alpha"}},
        {1, {"ソフト", "音楽", "Beta", "alpha", "ガンマ"}, {"音楽", "ソフト", "ガンマ", "alpha", "Beta"}},
        {2, {"ソフト", "音楽", "alpha", "ガンマ", "Beta"}, {"音楽", "ソフト", "Beta", "ガンマ", "alpha"}},
        {3, {"ソフト", "音楽", "Beta", "ガンマ", "alpha"}, {"音楽", "ソフト", "alpha", "ガンマ", "Beta"}},
        // Capture dates: the newest first when ascending.
        {4, {"ソフト", "音楽", "ガンマ", "alpha", "Beta"}, {"音楽", "ソフト", "Beta", "alpha", "ガンマ"}},
    };
    // Two clicks on each column: ascending, then descending.
    auto sortsBothWays = [](HWND shown, const auto& orders) {
        for (const Order& order : orders) {
            ClickColumn(shown, order.column);
            PumpMessages();
            EXPECT_EQ(ColumnTexts(shown), order.ascending) << "column " << order.column;
            ClickColumn(shown, order.column);
            PumpMessages();
            EXPECT_EQ(ColumnTexts(shown), order.descending) << "column " << order.column;
        }
    };
    // The first click on the name column keeps the opening order.
    sortsBothWays(list, catalogues);

    list = Open("ソフト\\道具.vmf");
    const Order entries[] = {
        {0, {"CD1", "ソフト", "a.bin", "b.txt", "readme.txt"}, {"ソフト", "CD1", "readme.txt", "b.txt", "a.bin"}},
        // Directories by their totals.
        {1, {"CD1", "ソフト", "a.bin", "readme.txt", "b.txt"}, {"ソフト", "CD1", "b.txt", "readme.txt", "a.bin"}},
        // Equal types keep the catalogue's order both ways.
        {2, {"CD1", "ソフト", "a.bin", "b.txt", "readme.txt"}, {"CD1", "ソフト", "b.txt", "readme.txt", "a.bin"}},
        {3, {"ソフト", "CD1", "a.bin", "readme.txt", "b.txt"}, {"CD1", "ソフト", "b.txt", "readme.txt", "a.bin"}},
    };
    sortsBothWays(list, entries);
}

TEST_P(BrowserTest, DoubleClicksOpenThreeLevelsDownAndBackReturns) {
    Open("");
    EXPECT_EQ(Address(), kShown);
    HWND list = OpenRow("ソフト", kShown + "\\ソフト");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ColumnTexts(list), Texts{"道具"});
    list = OpenRow("道具", kShown + "\\ソフト\\道具.vmf");
    ASSERT_NE(list, nullptr);
    list = OpenRow("ソフト", kShown + "\\ソフト\\道具.vmf\\ソフト");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ColumnTexts(list), Texts{"表"});
    // Enter opens the focused, selected row too.
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return Address() == kShown + "\\ソフト\\道具.vmf\\ソフト\\表"; })) << Address();
    EXPECT_EQ(ColumnTexts(browser.List()), (Texts{"1000.bin", "能.txt"}));
    // A file does not browse anywhere (its default command shows its
    // properties, which this program does not serve).
    HWND files = browser.List();
    DoubleClickRow(files, 1);
    PumpMessages();
    EXPECT_EQ(browser.List(), files);

    for (const char* back : {"\\ソフト\\道具.vmf\\ソフト", "\\ソフト\\道具.vmf", "\\ソフト", ""}) {
        SendMessageA(GetDlgItem(browser.Window(), BrowserFrame::kBackId), BM_CLICK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return Address() == kShown + back; })) << Address();
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(browser.Window(), BrowserFrame::kBackId)));
    EXPECT_EQ(ColumnTexts(browser.List()), (Texts{"ソフト", "音楽", "alpha", "Beta", "ガンマ"}));

    // Typed into the address line, the form it shows and the parsing name
    // both navigate; anything else stays where it is.
    HWND address = browser.Frame()->Address();
    const struct {
        std::string typed;
        std::string shown;
    } cases[] = {
        {kShown + "\\ソフト\\道具.vmf", kShown + "\\ソフト\\道具.vmf"},
        {kRoot + "\\ソフト", kShown + "\\ソフト"},
        {"cataloom\\音楽", kShown + "\\音楽"},
        {kShown + "x\\ソフト", ""},  // no place: the view stays
    };
    for (const auto& c : cases) {
        HWND before = browser.List();
        SetWindowTextA(address, c.typed.c_str());
        SendMessageA(address, WM_KEYDOWN, VK_RETURN, 0);
        PumpMessages();
        if (c.shown.empty()) EXPECT_EQ(browser.List(), before) << c.typed;
        else EXPECT_EQ(Address(), c.shown) << c.typed;
    }
}

TEST_P(BrowserTest, TheStatusBarCountsItemsAndSelections) {
    HWND list = Open("");
    HWND status = browser.Frame()->StatusBar();
    // Wine's browser has no status bar for the view: nothing reaches it.
    const std::string none = LikeWine() ? "" : "5個のオブジェクト";
    EXPECT_EQ(StatusText(status), none);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 4, LVIS_SELECTED, LVIS_SELECTED);
    PumpMessages();
    EXPECT_EQ(StatusText(status), LikeWine() ? "" : "2個のオブジェクトを選択");
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    PumpMessages();
    EXPECT_EQ(StatusText(status), none);
    Open("ソフト\\道具.vmf");
    EXPECT_EQ(StatusText(status), LikeWine() ? "" : "5個のオブジェクト");
}

TEST_P(BrowserTest, TwoViewsOfOneCategoryFollowItsChanges) {
    HWND first = Open("ソフト");
    BrowserHost second(LikeWine());
    HWND other = Open("ソフト", second);
    BrowserHost elsewhere(LikeWine());
    HWND root = Open("", elsewhere);
    ComPtr<IShellFolder> category = OpenFolder("ソフト");
    auto* folder = static_cast<CatalogFolder*>(category.Get());

    ItemId* created = nullptr;
    ASSERT_EQ(folder->CreateCategory("新規", &created), S_OK);
    IdList item(created);
    for (HWND list : {first, other}) EXPECT_EQ(ColumnTexts(list), (Texts{"道具", "新規"}));

    PITEMID_CHILD renamed = nullptr;
    ASSERT_EQ(category->SetNameOf(nullptr, item.Child(), L"改名", SHGDN_NORMAL, &renamed), S_OK);
    IdList renamedItem(renamed);
    for (HWND list : {first, other}) EXPECT_EQ(ColumnTexts(list), (Texts{"道具", "改名"}));

    const ItemId* doomed = renamedItem.Id();
    ASSERT_EQ(folder->DeleteItems(&doomed, 1), S_OK);
    for (HWND list : {first, other}) EXPECT_EQ(ColumnTexts(list), Texts{"道具"});
    // The view of another folder saw none of it.
    EXPECT_EQ(ColumnTexts(root), (Texts{"ソフト", "音楽", "alpha", "Beta", "ガンマ"}));
}

TEST_P(BrowserTest, NoObjectIsLeftOnceTheBrowserIsClosed) {
    browser.Close();
    const LONG before = ObjectCount().Get();
    {
        BrowserHost other(LikeWine());
        Open("", other);
        Open("ソフト\\道具.vmf\\ソフト", other);
        other.Frame()->Back();
        EXPECT_GT(ObjectCount().Get(), before);
    }
    PumpMessages();
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST_P(BrowserTest, TheBrowserServesOrRefusesItsControlsAndMenus) {
    Open("ソフト");
    BrowserFrame* frame = browser.Frame();
    HWND control = nullptr;
    LRESULT result = 0;
    HMENU shared = CreateMenu();
    OLEMENUGROUPWIDTHS widths = {};
    if (LikeWine()) {
        EXPECT_EQ(frame->GetControlWindow(FCW_STATUS, &control), E_NOTIMPL);
        EXPECT_EQ(frame->SendControlMsg(FCW_STATUS, SB_SETTEXTA, 0, 0, &result), E_NOTIMPL);
        EXPECT_EQ(frame->InsertMenusSB(shared, &widths), E_NOTIMPL);
        EXPECT_EQ(frame->SetMenuSB(shared, nullptr, nullptr), E_NOTIMPL);
        EXPECT_EQ(frame->RemoveMenusSB(shared), E_NOTIMPL);
        EXPECT_EQ(frame->SetStatusTextSB(L"x"), E_NOTIMPL);
        EXPECT_EQ(frame->OnViewWindowActive(nullptr), E_NOTIMPL);
        IdList place = ParseFromDesktop("");
        EXPECT_EQ(frame->BrowseObject(place.Get(), SBSP_EXPLOREMODE), E_INVALIDARG);
        DestroyMenu(shared);
        return;
    }
    EXPECT_EQ(frame->GetControlWindow(FCW_STATUS, &control), S_OK);
    EXPECT_EQ(control, frame->StatusBar());
    EXPECT_EQ(frame->GetControlWindow(FCW_TREE, &control), S_OK);
    EXPECT_EQ(control, frame->Tree());
    EXPECT_EQ(frame->GetControlWindow(FCW_TOOLBAR, &control), E_FAIL);
    // The tree shows where the browser is.
    HWND tree = frame->Tree();
    wchar_t name[64] = {};
    TVITEMW node = {};
    node.mask = TVIF_TEXT;
    node.hItem = TreeView_GetSelection(tree);
    node.pszText = name;
    node.cchTextMax = 64;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&node));
    EXPECT_STREQ(name, L"ソフト");

    ASSERT_EQ(frame->InsertMenusSB(shared, &widths), S_OK);
    const UINT popups[] = {FCIDM_MENU_FILE, FCIDM_MENU_EDIT, FCIDM_MENU_VIEW, FCIDM_MENU_HELP};
    ASSERT_EQ(GetMenuItemCount(shared), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(GetMenuItemID(shared, i), static_cast<UINT>(-1)) << "a popup";
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID;
        GetMenuItemInfoW(shared, i, TRUE, &item);
        EXPECT_EQ(item.wID, popups[i]);
    }
    HMENU view = GetSubMenu(shared, 2);
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    EXPECT_TRUE(GetMenuItemInfoW(view, FCIDM_MENU_VIEW_SEP_OPTIONS, FALSE, &separator));
    EXPECT_NE(separator.fType & MFT_SEPARATOR, 0u);
    EXPECT_EQ(frame->SetMenuSB(shared, nullptr, browser.View()), S_OK);
    EXPECT_EQ(GetMenu(frame->Window()), shared);
    EXPECT_EQ(frame->RemoveMenusSB(shared), S_OK);
    EXPECT_EQ(GetMenuItemCount(shared), 0);
    EXPECT_NE(GetMenu(frame->Window()), shared);
    DestroyMenu(shared);
    EXPECT_EQ(frame->SetStatusTextSB(L"テキスト"), S_OK);
    EXPECT_EQ(StatusText(frame->StatusBar()), "テキスト");
}

TEST_P(BrowserTest, TheProgramOpensAPlaceAndSelectsAnItem) {
    browser.Close();
    std::string commandLine = "\"" + ProgramFolder() + "CataloomBrowser.exe\" \"/select,ソフト\\道具.vmf\\b.txt\"" +
                              (LikeWine() ? " /likewine" : "");
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    HWND frame = nullptr;
    HWND list = nullptr;
    // Found by its class and process, as a person's window.
    ASSERT_TRUE(PumpUntil([&] {
        frame = FindWindowW(BrowserFrame::kWindowClass, nullptr);
        DWORD owner = 0;
        if (frame != nullptr) GetWindowThreadProcessId(frame, &owner);
        list = owner == process.dwProcessId ? FindDescendant(frame, "CataloomNameSpaceView") : nullptr;
        if (list != nullptr) list = GetDlgItem(list, 2000);
        return list != nullptr && ListView_GetNextItem(list, -1, LVNI_SELECTED) >= 0;
    }));
    EXPECT_EQ(ItemCount(list), 5);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3);
    EXPECT_EQ(ListView_GetNextItem(list, 3, LVNI_SELECTED), -1);
    EXPECT_EQ(WindowText(GetDlgItem(frame, BrowserFrame::kAddressId)), kShown + "\\ソフト\\道具.vmf");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

INSTANTIATE_TEST_SUITE_P(Behaviours, BrowserTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& behaviour) {
                             return behaviour.param ? "LikeWine" : "Full";
                         });

}  // namespace
}  // namespace cataloom::test
