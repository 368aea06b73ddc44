// The item menu as the shell reaches it through the folder: its entries for
// every kind of item and selection, the identifiers it hands out, and its
// commands when no view is there (the tree pane, the desktop): explore and
// open through the program launcher, search at the item's full address,
// delete and rename only where the folder allows them.  Also the position
// of a menu opened from the keyboard or on a monitor left of the main one.
#include <windows.h>
#include <commctrl.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "core/PathUtil.h"
#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "settings/SettingsStore.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/view/MenuTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/support/WinTestSupport.h"
#include "view/ViewCommands.h"

namespace cataloom::test {
namespace {

constexpr UINT kLast = 0x7FFF;

std::string RootParsingName() {
    std::string name = kFolderParsingName;
    CharLowerA(&name[0]);
    return name;
}

struct Query {
    Entries entries;
    std::vector<UINT> ids;
    HRESULT result = E_FAIL;
    Entries submenu;  // of the first entry that has one
};

// The folder's menu for `items` (none: the background's) as QueryContextMenu fills it.
Query QueryMenu(IShellFolder* folder, const std::vector<const IdList*>& items, UINT flags, UINT first = 0,
                UINT last = kLast) {
    ComPtr<IContextMenu> menu;
    std::vector<PCUITEMID_CHILD> children;
    for (const IdList* item : items) children.push_back(item->Child());
    HRESULT hr = items.empty() ? folder->CreateViewObject(nullptr, IID_IContextMenu, menu.PutVoid())
                               : folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                                                       IID_IContextMenu, nullptr, menu.PutVoid());
    Query query;
    EXPECT_EQ(hr, S_OK);
    if (FAILED(hr)) return query;
    HMENU popup = CreatePopupMenu();
    query.result = menu->QueryContextMenu(popup, 0, first, last, flags);
    query.entries = MenuEntries(popup);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID;
        GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &item);
        query.ids.push_back(item.wID);
        HMENU sub = GetSubMenu(popup, i);
        if (sub != nullptr && query.submenu.empty()) query.submenu = MenuEntries(sub);
    }
    DestroyMenu(popup);
    return query;
}

ComPtr<IContextMenu> MenuOf(IShellFolder* folder, const std::vector<const IdList*>& items) {
    ComPtr<IContextMenu> menu;
    std::vector<PCUITEMID_CHILD> children;
    for (const IdList* item : items) children.push_back(item->Child());
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IContextMenu,
                                    nullptr, menu.PutVoid()),
              S_OK);
    return menu;
}

HRESULT Invoke(IContextMenu* menu, UINT command, HWND owner = nullptr) {
    return InvokeMenuCommand(menu, owner, command);
}

class ItemMenuTest : public ::testing::Test {
protected:
    ~ItemMenuTest() override { StopRecording(); }

    ViewData data;
    ComPtr<IShellFolder> root = OpenFolder("");
    std::vector<IdList> rootItems = Enumerate(root.Get());
    const IdList& software = Find(rootItems, "ソフト");
    const IdList& alpha = Find(rootItems, "a.vmf");
    const IdList& beta = Find(rootItems, "b.vmf");
    ComPtr<IShellFolder> catalogue = OpenFolder("ソフト\\道具.vmf");
    std::vector<IdList> entries = Enumerate(catalogue.Get());
    const IdList& readme = Find(entries, "readme.txt");
    const IdList& directory = Find(entries, "ソフト");
};

TEST_F(ItemMenuTest, EntriesFollowTheItemsKindsAttributesAndCount) {
    const Entries category = {"エクスプローラ(&E) *", "開く(&O)", "検索(&F)...", "---", "名前の変更(&M)", "---",
                              "削除(&D)", "---", "プロパティ(&R)"};
    Query query = QueryMenu(root.Get(), {&software}, CMF_EXPLORE);
    EXPECT_EQ(query.entries, category);
    EXPECT_EQ(query.ids, (std::vector<UINT>{1, 2, 17, 5, 3, 5, 4, 5, 8}));
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 18));
    EXPECT_EQ(QueryMenu(root.Get(), {&software}, CMF_NORMAL).entries,
              (Entries{"開く(&O) *", "エクスプローラ(&E)", "検索(&F)...", "---", "名前の変更(&M)", "---", "削除(&D)",
                       "---", "プロパティ(&R)"}));
    EXPECT_EQ(QueryMenu(root.Get(), {&software}, CMF_NODEFAULT).entries,
              (Entries{"開く(&O)", "エクスプローラ(&E)", "検索(&F)...", "---", "名前の変更(&M)", "---", "削除(&D)",
                       "---", "プロパティ(&R)"}));
    EXPECT_EQ(QueryMenu(root.Get(), {&alpha}, CMF_EXPLORE).entries,
              (Entries{"エクスプローラ(&E) *", "開く(&O)", "検索(&F)...", "---", "削除(&D)", "---", "プロパティ(&R)"}));
    // Several items: no explore or open, search and rename greyed.
    EXPECT_EQ(QueryMenu(root.Get(), {&alpha, &beta}, CMF_EXPLORE).entries,
              (Entries{"検索(&F)... * ~", "---", "削除(&D)", "---", "プロパティ(&R)"}));
    EXPECT_EQ(QueryMenu(root.Get(), {&software, &alpha}, CMF_NORMAL).entries,
              (Entries{"検索(&F)... * ~", "---", "削除(&D)", "---", "プロパティ(&R)"}));

    // Inside a catalogue: a file has only its properties, a directory opens.
    query = QueryMenu(catalogue.Get(), {&readme}, CMF_EXPLORE);
    EXPECT_EQ(query.entries, Entries{"プロパティ(&R) *"});
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9));
    EXPECT_EQ(QueryMenu(catalogue.Get(), {&directory}, CMF_NORMAL).entries,
              (Entries{"開く(&O) *", "エクスプローラ(&E)", "検索(&F)...", "---", "プロパティ(&R)"}));

    // The backgrounds.
    query = QueryMenu(root.Get(), {}, CMF_NORMAL);
    EXPECT_EQ(query.entries, (Entries{"新規カテゴリ(&N)", "---", "表示(&V) >"}));
    EXPECT_EQ(query.ids, (std::vector<UINT>{6, 5, 10}));
    EXPECT_EQ(query.submenu, (Entries{"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D)"}));
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 15));
    EXPECT_EQ(QueryMenu(catalogue.Get(), {}, CMF_EXPLORE).entries, Entries{"表示(&V) >"});

    // The default action alone.
    EXPECT_EQ(QueryMenu(root.Get(), {&software}, CMF_DEFAULTONLY).entries, Entries{"開く(&O) *"});
    EXPECT_EQ(QueryMenu(root.Get(), {&alpha}, CMF_DEFAULTONLY | CMF_EXPLORE).entries,
              Entries{"エクスプローラ(&E) *"});
    EXPECT_EQ(QueryMenu(catalogue.Get(), {&directory}, CMF_DEFAULTONLY).entries, Entries{"開く(&O) *"});
    query = QueryMenu(catalogue.Get(), {&readme}, CMF_DEFAULTONLY | CMF_EXPLORE);
    EXPECT_EQ(query.entries, Entries{"プロパティ(&R) *"});
    EXPECT_EQ(query.ids, std::vector<UINT>{8});
}

TEST_F(ItemMenuTest, HandsOutNoIdentifierBeyondTheLastAndCountsWhatItUsed) {
    // Offsets 0 to 4 only: search and properties have no room, separators no
    // identifier.
    Query query = QueryMenu(root.Get(), {&software}, CMF_EXPLORE, 100, 104);
    EXPECT_EQ(query.entries, (Entries{"エクスプローラ(&E) *", "開く(&O)", "---", "名前の変更(&M)", "---", "削除(&D)"}));
    EXPECT_EQ(query.ids, (std::vector<UINT>{101, 102, 0, 103, 0, 104}));
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5));
    // Room up to the small icons: the submenu holds the two that fit.
    query = QueryMenu(root.Get(), {}, CMF_NORMAL, 200, 212);
    EXPECT_EQ(query.ids, (std::vector<UINT>{206, 205, 210}));
    EXPECT_EQ(query.submenu, (Entries{"大きいアイコン(&G)", "小さいアイコン(&M)"}));
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 13));
    // No room at all.
    query = QueryMenu(root.Get(), {&software}, CMF_NORMAL, 50, 40);
    EXPECT_EQ(query.entries, Entries{});
    EXPECT_EQ(query.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
}

TEST_F(ItemMenuTest, OutsideAViewExploreAndOpenStartAWindowOfTheirOwn) {
    RecordLaunches();
    ComPtr<IContextMenu> menu = MenuOf(root.Get(), {&software});
    ASSERT_TRUE(menu);
    EXPECT_EQ(Invoke(menu.Get(), 1), S_OK);
    ComPtr<IContextMenu> inCatalogue = MenuOf(catalogue.Get(), {&directory});
    EXPECT_EQ(Invoke(inCatalogue.Get(), 2), S_OK);
    const std::vector<Launch>& launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].verb, L"explore");
    EXPECT_EQ(launches[0].className, L"folder");
    EXPECT_EQ(launches[0].mask, static_cast<ULONG>(SEE_MASK_IDLIST | SEE_MASK_CLASSNAME));
    EXPECT_EQ(launches[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(launches[0].place, RootParsingName() + "\\ソフト");
    EXPECT_EQ(launches[1].verb, L"open");
    EXPECT_EQ(launches[1].place, RootParsingName() + "\\ソフト\\道具.vmf\\ソフト");

    // Verbs by name, short structures and the view's own commands are refused.
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    EXPECT_EQ(menu->InvokeCommand(&info), E_NOTIMPL);
    info.cbSize = 36;  // the 32-bit size
    info.lpVerb = MAKEINTRESOURCEA(1);
    EXPECT_EQ(menu->InvokeCommand(&info), E_INVALIDARG);
    for (UINT command : {0u, 5u, 7u, 9u, 10u, 15u, 16u, 18u}) EXPECT_EQ(Invoke(menu.Get(), command), E_FAIL) << command;
    // Commands that need a view do nothing without one.
    for (UINT command : {3u, 6u, 11u, 14u}) EXPECT_EQ(Invoke(menu.Get(), command), S_OK) << command;
    EXPECT_FALSE(path::Exists(data.Path("新しいカテゴリ").c_str()));
    EXPECT_EQ(launches.size(), 2u);
    char buffer[64];
    EXPECT_EQ(menu->GetCommandString(1, GCS_VERBA, nullptr, buffer, sizeof buffer), E_NOTIMPL);
}

TEST_F(ItemMenuTest, SearchStartsAtTheItemsWholeAddress) {
    // A directory deep enough that its address passes 260 bytes.
    const std::string segment(60, 'd');
    std::vector<TreeDirectory> tree(6);
    std::string where = "deep.vmf";
    for (std::size_t i = 0; i + 1 < tree.size(); ++i) {
        tree[i].entries = {Dir(segment + std::to_string(i + 1), 1)};
        tree[i + 1].name = segment + std::to_string(i + 1);
        tree[i + 1].parent = i;
        if (i + 1 < tree.size() - 1) where += "\\" + tree[i + 1].name;
    }
    CatalogHeader header = MakeHeader("deep");
    ASSERT_TRUE(WriteCatalog(data.Path("deep.vmf"), header, tree));
    ComPtr<IShellFolder> deepFolder = OpenFolder(where);
    ASSERT_TRUE(deepFolder) << where;
    std::vector<IdList> deepItems = Enumerate(deepFolder.Get());
    ASSERT_EQ(deepItems.size(), 1u);

    RecordSearches();
    EXPECT_EQ(Invoke(MenuOf(root.Get(), {&software}).Get(), 17), S_OK);
    EXPECT_EQ(Invoke(MenuOf(deepFolder.Get(), {&deepItems[0]}).Get(), 17), S_OK);
    // The namespace's name as the address bar shows it.
    const std::string deepest = "Cataloom\\" + where + "\\" + segment + "5";
    ASSERT_GT(deepest.size(), 260u);
    EXPECT_EQ(RecordedSearches(), (std::vector<std::string>{"Cataloom\\ソフト", deepest}));
    // Without a Searcher the command fails and does nothing.
    StopRecording();
    EXPECT_EQ(Invoke(MenuOf(root.Get(), {&software}).Get(), 17), E_FAIL);
}

TEST_F(ItemMenuTest, DeleteAndRenameOnlyWhatTheFolderAllows) {
    // Entries of a catalogue can be neither deleted nor renamed.
    EXPECT_EQ(Invoke(MenuOf(catalogue.Get(), {&readme}).Get(), 4), E_ACCESSDENIED);
    EXPECT_TRUE(path::Exists(data.Path("ソフト\\道具.vmf").c_str()));
    // A catalogue together with a category: all or nothing.
    EXPECT_EQ(Invoke(MenuOf(root.Get(), {&software, &alpha}).Get(), 4), S_OK);
    EXPECT_FALSE(path::Exists(data.Path("ソフト").c_str()));
    EXPECT_FALSE(path::Exists(data.Path("a.vmf").c_str()));
    EXPECT_TRUE(path::Exists(data.Path("b.vmf").c_str()));
}

// The data folder set to a drive's root, each way a person may type it:
// the namespace lists what the drive holds, and deletes there work.
TEST_F(ItemMenuTest, ADriveRootAsTheDataFolderLists) {
    WineDrive drive(L'q', data.Path(""), DRIVE_FIXED);
    ASSERT_TRUE(drive.Defined());
    for (const char* setting : {"Q:", "Q:\\", "q:\\"}) {
        ProcessObjects::Settings().SetDataRoot(setting);
        ComPtr<IShellFolder> top = OpenFolder("");
        ASSERT_TRUE(top) << setting;
        std::vector<IdList> items = Enumerate(top.Get());
        EXPECT_EQ(items.size(), rootItems.size()) << setting;
        ComPtr<IShellFolder> inside = OpenFolder("ソフト\\道具.vmf");
        ASSERT_TRUE(inside) << setting;
        EXPECT_EQ(Enumerate(inside.Get()).size(), entries.size()) << setting;
    }
    ComPtr<IShellFolder> top = OpenFolder("");
    std::vector<IdList> items = Enumerate(top.Get());
    EXPECT_EQ(Invoke(MenuOf(top.Get(), {&Find(items, "b.vmf")}).Get(), 4), S_OK);
    EXPECT_FALSE(path::Exists(data.Path("b.vmf").c_str()));
}

TEST_F(ItemMenuTest, ADeleteThatCannotGoToTheRecycleBinAsksFirst) {
    // The data folder on a network drive: the shell would delete for good.
    std::string folder = data.Path("");
    if (folder.back() == '\\') folder.pop_back();
    const std::size_t split = folder.find_last_of('\\');
    WineDrive network(L'r', folder.substr(0, split), DRIVE_REMOTE);
    ASSERT_TRUE(network.Defined());
    ASSERT_EQ(GetDriveTypeA("R:\\"), static_cast<UINT>(DRIVE_REMOTE));
    ProcessObjects::Settings().SetDataRoot(("R:" + folder.substr(split)).c_str());
    ComPtr<IShellFolder> remote = OpenFolder("");
    ASSERT_TRUE(remote);
    std::vector<IdList> items = Enumerate(remote.Get());
    const IdList& music = Find(items, "音楽");
    {
        DialogCloser no(IDNO);
        EXPECT_EQ(Invoke(MenuOf(remote.Get(), {&music}).Get(), 4), HRESULT_FROM_WIN32(ERROR_CANCELLED));
        EXPECT_TRUE(no.Closed());
        EXPECT_EQ(no.caption, "Cataloom");
        EXPECT_EQ(no.text, "選択した項目はごみ箱に移動できないため、完全に削除されます。\nよろしいですか？");
        EXPECT_TRUE(path::Exists(data.Path("音楽").c_str()));
    }
    DialogCloser yes(IDYES);
    EXPECT_EQ(Invoke(MenuOf(remote.Get(), {&music}).Get(), 4), S_OK);
    EXPECT_TRUE(yes.Closed());
    EXPECT_FALSE(path::Exists(data.Path("音楽").c_str()));
    ProcessObjects::Settings().SetDataRoot(data.Path("").c_str());
}

class ItemMenuDllTest : public DllBackedNamespace {};

TEST_F(ItemMenuDllTest, TheLibrarysFoldersHandOutTheMenu) {
    ViewData data;
    ComPtr<IShellFolder> folder = OpenFolder("");
    ASSERT_TRUE(folder);
    std::vector<IdList> items = Enumerate(folder.Get());
    EXPECT_EQ(QueryMenu(folder.Get(), {&Find(items, "b.vmf")}, CMF_NORMAL).entries,
              (Entries{"開く(&O) *", "エクスプローラ(&E)", "検索(&F)...", "---", "削除(&D)", "---", "プロパティ(&R)"}));
    EXPECT_EQ(QueryMenu(folder.Get(), {}, CMF_NORMAL).entries, (Entries{"新規カテゴリ(&N)", "---", "表示(&V) >"}));
}

// A report list of three rows in a window of its own.
class PointTest : public ::testing::Test {
protected:
    PointTest() {
        frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 80, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, frame,
                               nullptr, nullptr, nullptr);
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        for (int i = 0; i < 3; ++i) {
            char text[] = "row";
            LVITEMA row = {};
            row.mask = LVIF_TEXT;
            row.iItem = i;
            row.pszText = text;
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
        }
    }
    ~PointTest() override { DestroyWindow(frame); }
    POINT RowCorner(int row) {
        RECT area = {};
        area.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area));
        POINT corner = {area.left, area.bottom};
        ClientToScreen(list, &corner);
        return corner;
    }

    HWND frame = nullptr;
    HWND list = nullptr;
};

bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

TEST_F(PointTest, CoordinatesAreSignedAndTheKeyboardMenuOpensAtTheFocusedRow) {
    // A monitor left of and above the main one.
    POINT point = ContextMenuPoint(MAKELPARAM(-5, -700), list);
    EXPECT_EQ(point.x, -5);
    EXPECT_EQ(point.y, -700);
    point = ContextMenuPoint(MAKELPARAM(1500, 32767), list);
    EXPECT_TRUE(point == (POINT{1500, 32767}));
    point = ContextMenuPoint(MAKELPARAM(-32768, 0), list);
    EXPECT_TRUE(point == (POINT{-32768, 0}));

    // From the keyboard: the list's corner without a row, then the selected
    // row, then the focused one.
    const LPARAM keyboard = static_cast<LPARAM>(-1);
    POINT corner = {0, 0};
    ClientToScreen(list, &corner);
    EXPECT_TRUE(ContextMenuPoint(keyboard, list) == corner);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(ContextMenuPoint(keyboard, list) == RowCorner(2));
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_TRUE(ContextMenuPoint(keyboard, list) == RowCorner(1));
    EXPECT_GT(RowCorner(1).y, corner.y);
    // The lParam of WM_CONTEXTMENU as a 32-bit value, not sign-extended.
    EXPECT_TRUE(ContextMenuPoint(static_cast<LPARAM>(0xFFFFFFFF), list) == RowCorner(1));
}

}  // namespace
}  // namespace cataloom::test
