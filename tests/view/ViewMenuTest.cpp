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
#include "namespace/ClassIds.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/MenuTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"
#include "tools/PropertySheets.h"
#include "tools/SettingsStore.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;

const Texts kRootNames = {"ソフト", "音楽", "alpha", "Beta", "ガンマ"};

// The folders of this program hand out the property sheets too.
class SheetsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InstallPropertySheets(); }
};
const bool kSheetsRegistered = (::testing::AddGlobalTestEnvironment(new SheetsEnvironment), true);

std::string RootParsingName() {
    std::string name = kFolderParsingName;
    CharLowerA(&name[0]);
    return name;
}

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
    std::string Address() const {
        ComPtr<IShellView> view = host.CurrentView();
        return "";
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
    EXPECT_EQ(RightClick(0, {VK_ESCAPE}), (std::vector<Entries>{{first, second, "検索(&F)...", "---", "名前の変更(&M)",
                                                                  "---", "削除(&D)", "---", "プロパティ(&R)"}}));
    EXPECT_EQ(RightClick(2, {VK_ESCAPE}),
              (std::vector<Entries>{{first, second, "検索(&F)...", "---", "削除(&D)", "---", "プロパティ(&R)"}}));
    Select({2, 3});
    EXPECT_EQ(RightClick(3, {VK_ESCAPE}),
              (std::vector<Entries>{{"検索(&F)... * ~", "---", "削除(&D)", "---", "プロパティ(&R)"}}));
    // Empty space: the background's menu; its View submenu marks the mode.
    EXPECT_EQ(RightClick(-1, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}),
              (std::vector<Entries>{{"新規カテゴリ(&N)", "---", "表示(&V) >"},
                                    {"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D) (x)"}}));

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

INSTANTIATE_TEST_SUITE_P(Hosts, ViewMenuTest,
                         ::testing::Values(HostKind::kBrowser, HostKind::kWineLikeBrowser, HostKind::kExplorer),
                         [](const ::testing::TestParamInfo<HostKind>& kind) { return HostName(kind.param); });

}  // namespace
}  // namespace cataloom::test
