// The view's menus and commands in real hosts under Xvfb: the right-click
// menus of every listing and selection, driven by keys posted before they
// open, with the effect of each command; the merged menus of our browser
// and their check marks; the view's keys; the commands of the menu bar.
// Hosted in our own browser (full, and refusing what Wine's refuses) and in
// the shell's explorer browser component.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/PathUtil.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/MenuTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;

const Texts kRootNames = {"ソフト", "音楽", "alpha", "Beta", "ガンマ"};

DWORD StoredViewMode() {
    return ProcessObjects::Settings().GetDefViewMode();
}

class ViewMenuTest : public ::testing::TestWithParam<HostKind> {
protected:
    ~ViewMenuTest() override { StopRecording(); }

    HWND Open(const std::string& where) {
        IdList absolute = ParseFromDesktop(where);
        HWND before = host.View();
        EXPECT_EQ(host.Browse(absolute.Get()), S_OK) << where;
        EXPECT_TRUE(PumpUntil([&] { return host.List() != nullptr && host.View() != before; })) << where;
        return host.List();
    }
    // The browser shows a tree pane, so its menus explore first.
    bool ExploresFirst() const { return GetParam() == HostKind::kBrowser; }
    // Right-clicks a row (-1: empty space) and presses `keys` in the menu;
    // the menus shown.
    std::vector<Entries> RightClick(int row, std::initializer_list<WPARAM> keys) {
        HWND list = host.List();
        MenuRecorder recorder(host.View());
        RightClickRow(list, row);
        PostMenuKeys(host.View(), keys);
        EXPECT_TRUE(PumpUntil([&] { return !recorder.shown.empty(); }));
        PumpMessages();
        return recorder.shown;
    }
    // The keys that choose the `n`th entry (from 1, separators not counted).
    static std::vector<WPARAM> Choose(int n) { return std::vector<WPARAM>(static_cast<std::size_t>(n), VK_DOWN); }
    std::vector<Entries> RightClickChoose(int row, int n, std::initializer_list<WPARAM> after = {VK_RETURN}) {
        HWND list = host.List();
        MenuRecorder recorder(host.View());
        RightClickRow(list, row);
        for (WPARAM key : Choose(n)) PostMessageA(host.View(), WM_KEYDOWN, key, 0);
        PostMenuKeys(host.View(), after);
        EXPECT_TRUE(PumpUntil([&] { return !recorder.shown.empty(); }));
        PumpMessages();
        return recorder.shown;
    }
    void Select(std::initializer_list<int> rows) {
        HWND list = host.List();
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    ViewData data;
    std::unique_ptr<ViewHost> hostHolder = MakeHost(GetParam());
    ViewHost& host = *hostHolder;
};

TEST_P(ViewMenuTest, RightClickMenusForEveryListingAndSelection) {
    const std::string explore = "エクスプローラ(&E)";
    const std::string open = "開く(&O)";
    const std::string first = (ExploresFirst() ? explore : open) + " *";
    const std::string second = ExploresFirst() ? open : explore;
    Open("");
    // The shell's component is what Wine's explorer is made of: its picture.
    const bool picture = GetParam() == HostKind::kExplorer;
    if (picture) PictureOfNextMenu(host.Window(), "explorer-item-menu");
    EXPECT_EQ(picture ? RightClick(0, {}) : RightClick(0, {VK_ESCAPE}),
              (std::vector<Entries>{{first, second, "検索(&F)...", "---", "名前の変更(&M)", "---", "削除(&D)", "---",
                                     "プロパティ(&R)"}}));
    EXPECT_EQ(RightClick(2, {VK_ESCAPE}),
              (std::vector<Entries>{{first, second, "検索(&F)...", "---", "削除(&D)", "---", "プロパティ(&R)"}}));
    Select({2, 3});
    EXPECT_EQ(RightClick(3, {VK_ESCAPE}),
              (std::vector<Entries>{{"検索(&F)... * ~", "---", "削除(&D)", "---", "プロパティ(&R)"}}));
    // Empty space: the background's menu; its View submenu marks the mode.
    EXPECT_EQ(RightClick(-1, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}),
              (std::vector<Entries>{{"新規カテゴリ(&N)", "---", "表示(&V) >"},
                                    {"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D) (x)"}}));

    // Shift+F10 or the menu key (position -1, -1): the selection's menu at its focused row.
    {
        HWND list = host.List();
        Select({4});
        MenuRecorder recorder(host.View(), true);
        SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), static_cast<LPARAM>(-1));
        PumpMessages();
        EXPECT_EQ(recorder.shown, (std::vector<Entries>{{first, second, "検索(&F)...", "---", "削除(&D)", "---",
                                                         "プロパティ(&R)"}}));
        RECT row = {};
        row.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row));
        POINT corner = {row.left, row.bottom};
        ClientToScreen(list, &corner);
        ASSERT_EQ(recorder.places.size(), 1u);
        EXPECT_EQ(recorder.places[0].left, corner.x);
        EXPECT_EQ(recorder.places[0].top, corner.y);
    }

    Open("ソフト\\道具.vmf");
    // Rows: CD1, ソフト, a.bin, b.txt, readme.txt.
    EXPECT_EQ(RightClick(4, {VK_ESCAPE}), (std::vector<Entries>{{"プロパティ(&R) *"}}));
    EXPECT_EQ(RightClick(1, {VK_ESCAPE}),
              (std::vector<Entries>{{first, second, "検索(&F)...", "---", "プロパティ(&R)"}}));
    EXPECT_EQ(RightClick(-1, {VK_ESCAPE}), (std::vector<Entries>{{"表示(&V) >"}}));
}

TEST_P(ViewMenuTest, TheBackgroundMenuCreatesCategoriesAndSwitchesTheViewMode) {
    HWND list = Open("");
    RightClickChoose(-1, 1);  // 新規カテゴリ(&N)
    EXPECT_TRUE(path::Exists(data.Path("新しいカテゴリ").c_str()));
    HWND editor = LabelEditor(list);
    ASSERT_NE(editor, nullptr) << "the new category's name is open for editing";
    EXPECT_EQ(WindowText(editor), "新しいカテゴリ");
    EnterLabel(editor, "写真");
    PumpMessages();
    EXPECT_TRUE(path::Exists(data.Path("写真").c_str()));
    EXPECT_FALSE(path::Exists(data.Path("新しいカテゴリ").c_str()));

    // 表示(&V) > 一覧(&L), and the mode is kept for later views.
    RightClickChoose(-1, 2, {VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    EXPECT_EQ(StoredViewMode(), 3u);
    list = Open("ソフト");
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    std::vector<Entries> shown = RightClickChoose(-1, 2, {VK_RIGHT, VK_RETURN});  // 大きいアイコン(&G)
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], (Entries{"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L) (x)", "詳細(&D)"}));
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(StoredViewMode(), 1u);
}

TEST_P(ViewMenuTest, TheItemMenuOpensRenamesDeletesAndSearches) {
    RecordSearches();
    HWND list = Open("");
    // 検索(&F)... on a catalogue.
    RightClickChoose(2, 3);
    EXPECT_EQ(RecordedSearches(), Texts{"Cataloom\\a.vmf"});
    // 名前の変更(&M) on a category.
    RightClickChoose(1, 4);
    HWND editor = LabelEditor(list);
    ASSERT_NE(editor, nullptr);
    EnterLabel(editor, "歌");
    PumpMessages();
    EXPECT_TRUE(path::Exists(data.Path("歌").c_str()));
    // 削除(&D) on a category: to the Recycle Bin without a question.
    EXPECT_EQ(ColumnTexts(list), (Texts{"ソフト", "歌", "alpha", "Beta", "ガンマ"}));
    RightClickChoose(1, 5);
    EXPECT_FALSE(path::Exists(data.Path("歌").c_str()));
    EXPECT_EQ(ColumnTexts(list), (Texts{"ソフト", "alpha", "Beta", "ガンマ"}));
    // Open (or explore, which a browser without explore mode opens) a category.
    RightClickChoose(0, 1);
    ASSERT_TRUE(PumpUntil([&] { return host.List() != list; }));
    EXPECT_EQ(ColumnTexts(host.List()), Texts{"道具"});
    list = host.List();
    RightClickChoose(0, 2);
    ASSERT_TRUE(PumpUntil([&] { return host.List() != list; }));
    EXPECT_EQ(ColumnTexts(host.List()), (Texts{"CD1", "ソフト", "a.bin", "b.txt", "readme.txt"}));
}

TEST_P(ViewMenuTest, PropertiesShowTheItemsSheet) {
    Open("");
    {
        DialogCloser sheet(IDCANCEL);
        RightClickChoose(2, 5);  // プロパティ(&R)
        EXPECT_TRUE(sheet.Closed());
        EXPECT_EQ(sheet.caption, "alphaのプロパティ");
    }
    // A file inside a catalogue: its name; a double click opens the same.
    Open("ソフト\\道具.vmf");
    DialogCloser sheet(IDCANCEL);
    DoubleClickRow(host.List(), 4);
    PumpMessages();
    EXPECT_TRUE(sheet.Closed());
    EXPECT_EQ(sheet.caption, "readme.txtのプロパティ");
}

TEST_P(ViewMenuTest, TheViewsKeysWorkInEveryHost) {
    HWND list = Open("");
    // Our browser's message loop offers keys to the view first; the shell's
    // component never does, so the list tries them itself.
    auto* browser = dynamic_cast<BrowserHost*>(&host);
    auto press = [&](HWND target, WPARAM key, bool control = false, bool alt = false) {
        PressKey(target, key, control, alt,
                 [&](MSG& message) { return browser != nullptr && browser->Frame()->TranslateKey(&message); });
        PumpMessages();
    };
    auto row = [&](const char* name) {
        Texts names = ColumnTexts(list);
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };

    // Insert: a new category, its name open for editing.
    press(list, VK_INSERT);
    ASSERT_TRUE(path::Exists(data.Path("新しいカテゴリ").c_str()));
    HWND editor = LabelEditor(list);
    ASSERT_NE(editor, nullptr);
    // Delete while renaming is the editor's: the selected text goes, the category stays.
    press(editor, VK_DELETE);
    EXPECT_EQ(WindowText(editor), "");
    EXPECT_TRUE(path::Exists(data.Path("新しいカテゴリ").c_str()));
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);  // cancelled, as a person does
    PumpMessages();
    ASSERT_EQ(LabelEditor(list), nullptr);
    // A second Insert takes the next free name.
    press(list, VK_INSERT);
    EXPECT_TRUE(path::Exists(data.Path("新しいカテゴリ(1)").c_str()));
    ASSERT_NE(LabelEditor(list), nullptr);
    SendMessageA(LabelEditor(list), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();

    // Ctrl+A selects every row.
    press(list, 'A', true);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    // Delete: the selected category, to the Recycle Bin without a question.
    Select({row("音楽")});
    press(list, VK_DELETE);
    EXPECT_FALSE(path::Exists(data.Path("音楽").c_str()));
    EXPECT_EQ(ItemCount(list), 6);
    // Alt+M (edit category) does nothing; Alt+Enter shows the properties.
    Select({row("alpha")});
    {
        DialogCloser none(IDCANCEL, 1000);
        press(list, 'M', false, true);
        EXPECT_FALSE(none.Closed());
    }
    DialogCloser sheet(IDCANCEL);
    press(list, VK_RETURN, false, true);
    EXPECT_TRUE(sheet.Closed());
    EXPECT_EQ(sheet.caption, "alphaのプロパティ");

    if (browser != nullptr) {
        // Delete typed into the address line is the line's.
        Select({row("ソフト")});
        press(browser->Frame()->Address(), VK_DELETE);
        EXPECT_TRUE(path::Exists(data.Path("ソフト").c_str()));
    }
    // Entries of a catalogue are not deleted, whatever is selected.
    list = Open("ソフト\\道具.vmf");
    Select({0, 1, 2, 3, 4});
    press(list, VK_DELETE);
    EXPECT_EQ(ItemCount(list), 5);
    EXPECT_TRUE(path::Exists(data.Path("ソフト\\道具.vmf").c_str()));
}

INSTANTIATE_TEST_SUITE_P(Hosts, ViewMenuTest,
                         ::testing::Values(HostKind::kBrowser, HostKind::kWineLikeBrowser, HostKind::kExplorer),
                         [](const ::testing::TestParamInfo<HostKind>& kind) { return HostName(kind.param); });

}  // namespace
}  // namespace cataloom::test

namespace cataloom::test {
namespace {

// Our browser's menu bar: the view's entries merged into it (or, refusing
// like Wine's, not), its marks and its commands.
class MenuBarTest : public ::testing::TestWithParam<bool> {
protected:
    bool LikeWine() const { return GetParam(); }
    HWND Open(const std::string& where) {
        IdList absolute = ParseFromDesktop(where);
        HWND before = browser.View();
        EXPECT_EQ(browser.Browse(absolute.Get()), S_OK) << where;
        EXPECT_TRUE(PumpUntil([&] { return browser.List() != nullptr && browser.View() != before; })) << where;
        return browser.List();
    }
    HMENU Popup(int index) const { return GetSubMenu(GetMenu(browser.Window()), index); }
    std::vector<UINT> Ids(HMENU popup) const {
        std::vector<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) ids.push_back(GetMenuItemID(popup, i));
        return ids;
    }
    void Command(UINT id) {
        SendMessageA(browser.Window(), WM_COMMAND, id, 0);
        PumpMessages();
    }
    Entries OpenedPopup(int index) {
        SendMessageA(browser.Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Popup(index)), MAKELPARAM(index, 0));
        return MenuEntries(Popup(index));
    }

    ViewData data;
    BrowserHost browser{LikeWine()};
};

const Entries kBrowserFile = {"閉じる(&C)"};
const Entries kBrowserView = {"戻る(&B)\tAlt+←", "1 つ上のフォルダ(&U)\tBackspace", "---",
                              "最新の情報に更新(&R)\tF5"};
const Entries kBrowserHelp = {"Cataloom ブラウザについて(&A)"};

TEST_P(MenuBarTest, TheViewsEntriesJoinTheBrowsersMenusWhileItIsActive) {
    Open("");
    if (LikeWine()) {
        // The shared menu is refused: the browser keeps its own.
        EXPECT_EQ(MenuEntries(Popup(0)), kBrowserFile);
        EXPECT_EQ(MenuEntries(Popup(1)), Entries{});
        EXPECT_EQ(MenuEntries(Popup(2)), kBrowserView);
        return;
    }
    EXPECT_EQ(MenuEntries(Popup(0)), (Entries{"新規カテゴリ(&N)", "カテゴリの編集(&E)", "削除(&D)", "---", "閉じる(&C)"}));
    EXPECT_EQ(Ids(Popup(0)), (std::vector<UINT>{6, 7, 4, 5, Ids(Popup(0))[4]}));
    // The trailing separator is tidied away.
    EXPECT_EQ(MenuEntries(Popup(1)), (Entries{"すべて選択(&A)", "選択の切り替え(&I)", "---", "プロパティ(&R)"}));
    EXPECT_EQ(Ids(Popup(1)), (std::vector<UINT>{15, 16, 5, 8}));
    EXPECT_EQ(OpenedPopup(2), (Entries{"戻る(&B)\tAlt+←", "1 つ上のフォルダ(&U)\tBackspace", "---",
                                       "大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D) (x)", "---",
                                       "最新の情報に更新(&R)\tF5"}));
    EXPECT_EQ(MenuEntries(Popup(3)), (Entries{"Cataloom について(&A)", "---", "Cataloom ブラウザについて(&A)"}));
    EXPECT_EQ(GetMenuItemID(Popup(3), 0), 9u);
    // Opened from the keyboard as a person opens them, for the pictures.
    for (auto [key, name] : {std::pair<WPARAM, const char*>{'f', "browser-menu-file"}, {'v', "browser-menu-view"}}) {
        PictureOfNextMenu(browser.Window(), name);
        SendMessageA(browser.Window(), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(key));
        PumpMessages();
    }

    // Deactivated: the browser's own menus; active again: merged anew.
    ComPtr<IShellView> view = browser.CurrentView();
    HMENU merged = GetMenu(browser.Window());
    view->UIActivate(SVUIA_DEACTIVATE);
    EXPECT_EQ(MenuEntries(Popup(0)), kBrowserFile);
    EXPECT_EQ(MenuEntries(Popup(3)), kBrowserHelp);
    view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
    EXPECT_NE(GetMenu(browser.Window()), merged);
    EXPECT_EQ(MenuEntries(Popup(0)).size(), 5u);
    EXPECT_EQ(MenuEntries(Popup(3)).size(), 3u);

    // Inside a catalogue the File menu has none of the view's entries.
    Open("ソフト\\道具.vmf");
    EXPECT_EQ(MenuEntries(Popup(0)), kBrowserFile);
    EXPECT_EQ(MenuEntries(Popup(1)), (Entries{"すべて選択(&A)", "選択の切り替え(&I)", "---", "プロパティ(&R)"}));
}

TEST_P(MenuBarTest, MenuCommandsReachTheView) {
    HWND list = Open("");
    // Select all, invert, invert one.
    Command(15);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), (std::vector<int>{0, 1, 2, 3, 4}));
    Command(16);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), std::vector<int>{});
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    Command(16);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(GetFocus(), list);

    // The view modes, kept for the views opened later and marked in their menus.
    Command(13);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    EXPECT_EQ(StoredViewMode(), 3u);
    Command(12);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_SMALLICON);
    Command(11);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(StoredViewMode(), 1u);
    Command(14);
    list = Open("ソフト");
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(StoredViewMode(), 4u);
    if (!LikeWine()) {
        Command(12);
        EXPECT_EQ(OpenedPopup(2)[4], "小さいアイコン(&M) (x)");
    }

    // About: the product, the version line and the copyright.
    DialogCloser about(IDOK);
    Command(9);
    EXPECT_TRUE(about.Closed());
    EXPECT_EQ(about.caption, "Cataloom");
    EXPECT_EQ(about.text, "Cataloom\nCataloom ver.0.0.4\nCopyright (C) 2026 Quillmoor");
    // Edit category is offered but does nothing.
    DialogCloser none(IDCANCEL, 1000);
    Command(7);
    EXPECT_FALSE(none.Closed());
    EXPECT_EQ(ColumnTexts(list), Texts{"道具"});
}

INSTANTIATE_TEST_SUITE_P(Behaviours, MenuBarTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& behaviour) {
                             return behaviour.param ? "LikeWine" : "Full";
                         });

}  // namespace
}  // namespace cataloom::test
