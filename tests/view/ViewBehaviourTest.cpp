// The view's behaviour where a plain reading of its design goes wrong:
// column widths that Wine's list never reports through HDN_ITEMCHANGED,
// renames with double-byte names and refused names, identifiers replaced
// under an open label edit, selections with rows that have no identifier,
// refreshes asked for inside the list's notifications, and the view window's
// lifetime.  Hosted in the shell's explorer browser component.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ObjectCount.h"
#include "namespace/ProcessObjects.h"
#include "settings/SettingsStore.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"
#include "view/FolderView.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;
using Widths = std::vector<int>;

constexpr char kInvalidName[] = "ファイル名が正しくありません。\n正しいファイル名であるか確認してください。";
constexpr char kRenameFailed[] = "指定のディレクトリを作成できませんでした。\nディレクトリ名が正しいか確認してください。";

// The view this program's folder made inside a host.
FolderView* CurrentView(ViewHost& host, ComPtr<IShellView>& holder) {
    holder = host.CurrentView();
    return static_cast<FolderView*>(holder.Get());
}

class ViewBehaviourTest : public ::testing::TestWithParam<HostKind> {
protected:
    // Browses the host to "::{CLSID}\where"; the new view's list.
    HWND Open(ViewHost& on, const std::string& where) {
        IdList absolute = ParseFromDesktop(where);
        HWND before = on.View();
        EXPECT_EQ(on.Browse(absolute.Get()), S_OK) << where;
        EXPECT_TRUE(PumpUntil([&] { return on.List() != nullptr && on.View() != before; })) << where;
        return on.List();
    }
    int Row(HWND list, const char* name) {
        Texts names = ColumnTexts(list);
        auto found = std::find(names.begin(), names.end(), name);
        return found == names.end() ? -1 : static_cast<int>(found - names.begin());
    }

    ViewData data;
    std::unique_ptr<ViewHost> hostHolder = MakeHost(GetParam());
    ViewHost& host = *hostHolder;
};

TEST_P(ViewBehaviourTest, ColumnWidthsAreStoredWhenADividerIsDragged) {
    // Wine's list tells its parent only HDN_ENDTRACK for a real drag.
    HWND list = Open(host, "");
    DragColumnDivider(list, 0, 30);
    PumpMessages();
    EXPECT_EQ(Headers(list)[0].width, 130);
    EXPECT_EQ(StoredWidths("BrowserColumn"), Widths{}) << "the root's view stores nothing";

    list = Open(host, "ソフト");
    DragColumnDivider(list, 0, 30);
    PumpMessages();
    EXPECT_EQ(StoredWidths("BrowserColumn"), (Widths{130, 100, 100, 80, 120}));

    list = Open(host, "ソフト\\道具.vmf");
    DragColumnDivider(list, 2, -20);
    PumpMessages();
    EXPECT_EQ(StoredWidths("ViewerColumn"), (Widths{200, 100, 80, 150}));
    list = Open(host, "ソフト\\道具.vmf\\ソフト");
    DragColumnDivider(list, 3, 10);
    PumpMessages();
    EXPECT_EQ(StoredWidths("ViewerColumn"), (Widths{200, 100, 80, 160}));

    // The next view of a category opens with the stored widths.
    list = Open(host, "音楽");
    EXPECT_EQ(Headers(list)[0].width, 130);
}

TEST_P(ViewBehaviourTest, RenameTakesDoubleByteNamesWhoseTrailByteIsABackslash) {
    HWND list = Open(host, "");
    ASSERT_EQ(Row(list, "ソフト"), 0);
    // The third ends in a full-width dash; the last confirms the name unchanged.
    for (const char* name : {"表", "能", "ソフト\x81\x5C", "ソフト\x81\x5C"}) {
        HWND edit = StartLabelEdit(list, 0);
        ASSERT_NE(edit, nullptr);
        DialogAnswerer unexpected("Cataloom", IDOK);
        EnterLabel(edit, name);
        EXPECT_FALSE(unexpected.Dismiss()) << name << ": " << unexpected.Message();
        PumpMessages();
        EXPECT_EQ(LabelEditor(list), nullptr) << name;
        EXPECT_TRUE(path::IsDirectory(data.Path(name).c_str())) << name;
        EXPECT_EQ(CellText(list, 0, 0), name);
    }
    EXPECT_FALSE(path::Exists(data.Path("ソフト").c_str()));
}

TEST_P(ViewBehaviourTest, RefusedNamesWarnAndReopenTheEditAfterIt) {
    HWND list = Open(host, "");
    struct Case {
        const char* name;
        const char* warning;
    };
    // (An empty label reaches the view as a cancel under Wine: its list
    // passes no text at all then.)
    for (const Case& refused : {Case{"a:b", kInvalidName}, Case{"x\\y", kInvalidName}, Case{"a|b", kInvalidName},
                                Case{"ソフト.", kInvalidName}, Case{"..", kInvalidName}, Case{"音楽", kRenameFailed}}) {
        HWND edit = StartLabelEdit(list, 0);
        ASSERT_NE(edit, nullptr);
        DialogAnswerer warning("Cataloom", IDOK);
        EnterLabel(edit, refused.name);
        ASSERT_TRUE(warning.Answered()) << refused.name;
        EXPECT_EQ(warning.Message(), refused.warning) << refused.name;
        // Not inside the list's notification: the edit opens again after it.
        ASSERT_TRUE(PumpUntil([&] { return LabelEditor(list) != nullptr; })) << refused.name;
        SendMessageA(LabelEditor(list), WM_KEYDOWN, VK_ESCAPE, 0);
        PumpMessages();
        EXPECT_EQ(LabelEditor(list), nullptr);
    }
    EXPECT_TRUE(path::IsDirectory(data.Path("ソフト").c_str()));
    EXPECT_EQ(CellText(list, 0, 0), "ソフト");
}

// A data folder setting written by hand that names no folder: the view of
// the namespace root lists nothing (not another folder) and says why.
TEST_P(ViewBehaviourTest, AnUnusableDataFolderSettingIsReportedNotReplaced) {
    const struct {
        std::string setting;
        const char* message;
    } cases[] = {
        {"ViewData", "データ保存先の設定がドライブ名から始まる完全なパスではありません。\n"
                     "オプションのデータ保存先フォルダを指定し直してください。"},
        {"C:\\" + std::string(300, 'x'), "データ保存先の設定が長すぎます (259 バイトまで)。\n"
                                          "オプションのデータ保存先フォルダを指定し直してください。"},
    };
    for (const auto& c : cases) {
        ProcessObjects::Settings().SetDataRoot(c.setting.c_str());
        DialogAnswerer warning("Cataloom", IDOK);
        std::unique_ptr<ViewHost> fresh = MakeHost(GetParam());  // a new view for each setting
        HWND list = Open(*fresh, "");
        ASSERT_TRUE(warning.Answered()) << c.setting;
        EXPECT_EQ(warning.Message(), c.message) << c.setting;
        EXPECT_EQ(ListView_GetItemCount(list), 0) << c.setting;
    }
}

TEST_P(ViewBehaviourTest, ARenameReachesARowWhoseLabelIsBeingEdited) {
    HWND list = Open(host, "");
    ComPtr<IShellView> holder;
    FolderView* view = CurrentView(host, holder);
    ASSERT_NE(view, nullptr);
    std::unique_ptr<ViewHost> other = MakeHost(GetParam());
    HWND otherList = Open(*other, "");

    HWND edit = StartLabelEdit(list, 1);
    ASSERT_NE(edit, nullptr);
    ComPtr<IShellFolder> root = OpenFolder("");
    std::vector<IdList> items = Enumerate(root.Get());
    ASSERT_EQ(root->SetNameOf(nullptr, Find(items, "音楽").Child(), L"曲", SHGDN_NORMAL, nullptr), S_OK);
    // The row under the edit has the new identifier already.
    IdList renamed(ProcessObjects::ItemIds().MakeCategory("曲"));
    EXPECT_EQ(view->FindItem(renamed.Id()), 1);
    EXPECT_EQ(view->FindItem(Find(items, "音楽").Id()), -1);
    EXPECT_EQ(LabelEditor(list), edit);
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(CellText(list, 1, 0), "曲");
    EXPECT_EQ(CellText(otherList, 1, 0), "曲");
}

TEST_P(ViewBehaviourTest, SelectionsPassOnlyRowsThatHaveIdentifiers) {
    HWND list = Open(host, "ソフト");
    ComPtr<IShellView> holder;
    FolderView* view = CurrentView(host, holder);
    ASSERT_NE(view, nullptr);
    ComPtr<IUnknown> object;
    EXPECT_EQ(view->GetItemObject(SVGIO_SELECTION, IID_IExtractIconA, object.PutVoid()), E_FAIL);
    EXPECT_FALSE(object);
    EXPECT_EQ(view->GetItemObject(0x7, IID_IExtractIconA, object.PutVoid()), E_INVALIDARG);
    EXPECT_EQ(view->GetItemObject(SVGIO_ALLVIEW, IID_IExtractIconA, nullptr), E_POINTER);

    // A row the control has but the view does not know, after the catalogue:
    // the icon object takes exactly one item, so it is made only if the
    // unknown row is left out.
    ASSERT_EQ(ItemCount(list), 1);
    SendMessageA(list, LVM_SETITEMCOUNT, 2, 0);
    ASSERT_EQ(ItemCount(list), 2);
    EXPECT_EQ(CellText(list, 1, 0), "");
    EXPECT_EQ(view->GetItemObject(SVGIO_ALLVIEW, IID_IExtractIconA, object.PutVoid()), S_OK);
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(view->GetItemObject(SVGIO_SELECTION, IID_IExtractIconA, object.PutVoid()), S_OK);
    EXPECT_TRUE(object);

    ComPtr<IShellView> background;
    EXPECT_EQ(view->GetItemObject(SVGIO_BACKGROUND, IID_IShellView, background.PutVoid()), S_OK);
    EXPECT_TRUE(background);
}

TEST_P(ViewBehaviourTest, ARefreshAskedForInsideAListNotificationRunsAfterIt) {
    HWND list = Open(host, "");
    const Texts byName = {"ソフト", "音楽", "alpha", "Beta", "ガンマ"};
    ASSERT_EQ(ColumnTexts(list), byName);
    // The click's notification asks for the refill; it waits for the queue.
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list), byName);
    PumpMessages();
    EXPECT_EQ(ColumnTexts(list), (Texts{"ソフト", "音楽", "alpha", "ガンマ", "Beta"}));
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list), (Texts{"ソフト", "音楽", "alpha", "ガンマ", "Beta"}));
    PumpMessages();
    EXPECT_EQ(ColumnTexts(list), (Texts{"音楽", "ソフト", "Beta", "ガンマ", "alpha"}));

    // Asked for from outside, a refresh runs at once.
    data.Tree().MakeDir("新");
    ComPtr<IShellView> holder;
    ASSERT_NE(CurrentView(host, holder), nullptr);
    EXPECT_EQ(holder->Refresh(), S_OK);
    EXPECT_EQ(ItemCount(list), 6);
}

TEST_P(ViewBehaviourTest, SelectItemSelectsFocusesAndEditsOnlyAsAsked) {
    HWND list = Open(host, "");
    ComPtr<IShellView> holder;
    FolderView* view = CurrentView(host, holder);
    ASSERT_NE(view, nullptr);
    ComPtr<IShellFolder> root = OpenFolder("");
    std::vector<IdList> items = Enumerate(root.Get());
    PCUITEMID_CHILD beta = Find(items, "b.vmf").Child();
    PCUITEMID_CHILD music = Find(items, "音楽").Child();

    EXPECT_EQ(view->SelectItem(beta, SVSI_SELECT), S_OK);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), std::vector<int>{3});
    EXPECT_EQ(LabelEditor(list), nullptr);
    EXPECT_EQ(view->SelectItem(music, SVSI_SELECT | SVSI_FOCUSED), S_OK);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), (std::vector<int>{1, 3}));
    EXPECT_EQ(RowsWithState(list, LVIS_FOCUSED), std::vector<int>{1});
    EXPECT_EQ(view->SelectItem(music, SVSI_DESELECT), S_OK);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), std::vector<int>{3});
    EXPECT_EQ(view->SelectItem(music, SVSI_SELECT | SVSI_DESELECTOTHERS), S_OK);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), std::vector<int>{1});

    IdList unknown(ProcessObjects::ItemIds().MakeCategory("無い"));
    EXPECT_EQ(view->SelectItem(reinterpret_cast<PCUITEMID_CHILD>(unknown.Get()), SVSI_SELECT), E_FAIL);
    EXPECT_EQ(RowsWithState(list, LVIS_SELECTED), std::vector<int>{1});

    EXPECT_EQ(view->SelectItem(music, SVSI_EDIT), S_OK);
    HWND edit = LabelEditor(list);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(WindowText(edit), "音楽");
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_P(ViewBehaviourTest, TheViewWindowNeverOutlivesItsObject) {
    Open(host, "");
    IShellBrowser* browser = host.Browser();
    ASSERT_NE(browser, nullptr);
    ComPtr<IShellFolder> folder = OpenFolder("ソフト");
    const LONG objects = ObjectCount().Get();

    // Released with its window still open: the window goes with it.
    ComPtr<IShellView> view;
    ASSERT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, view.PutVoid()), S_OK);
    FOLDERSETTINGS settings = {FVM_DETAILS, 0};
    RECT area = {0, 0, 300, 200};
    HWND window = nullptr;
    ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, browser, &area, &window), S_OK);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ItemCount(GetDlgItem(window, 2000)), 1);
    view.Reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ObjectCount().Get(), objects);

    // The window destroyed from outside (its parent went): the object stays
    // usable and forgets the window.
    ASSERT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, view.PutVoid()), S_OK);
    ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, browser, &area, &window), S_OK);
    DestroyWindow(window);
    HWND now = reinterpret_cast<HWND>(1);
    EXPECT_EQ(view->GetWindow(&now), S_OK);
    EXPECT_EQ(now, nullptr);
    EXPECT_EQ(view->Refresh(), S_OK);
    IdList item(ProcessObjects::ItemIds().MakeCategory("x"));
    EXPECT_EQ(static_cast<FolderView*>(view.Get())->AddItem(item.Id()), -1);
    EXPECT_EQ(view->DestroyViewWindow(), S_OK);
    view.Reset();
    EXPECT_EQ(ObjectCount().Get(), objects);
}

// A catalogue holding x.txt and the first `levels` of the directories A\\B\\C.
std::vector<TreeDirectory> Nested(int levels) {
    static const char* const kNames[] = {"A", "B", "C"};
    std::vector<TreeDirectory> tree(static_cast<std::size_t>(levels) + 1);
    tree[0].entries = {File("x.txt", 1)};
    for (int i = 0; i < levels; ++i) {
        tree[i].entries.insert(tree[i].entries.begin(), Dir(kNames[i], i + 1 < levels ? 1 : 0));
        tree[i + 1].name = kNames[i];
        tree[i + 1].parent = static_cast<std::size_t>(i);
    }
    return tree;
}

TEST_P(ViewBehaviourTest, AViewWhoseDirectoryVanishedGoesUpToTheNearestFolderLeft) {
    const std::string file = data.Path("深.vmf");
    CatalogHeader first = MakeHeader("深");
    ASSERT_TRUE(WriteCatalog(file, first, Nested(3)));
    struct Case {
        const char* open;
        int levels;        // what the capture again keeps
        const char* left;  // where the view goes
        Texts rows;
    };
    const Case cases[] = {
        {"深.vmf\\A\\B\\C", 2, "深.vmf\\A\\B", Texts{}},
        {"深.vmf\\A\\B", 0, "深.vmf", Texts{"x.txt"}},  // two levels gone at once
    };
    for (const Case& c : cases) {
        Open(host, c.open);
        CatalogHeader header = MakeHeader("深");
        ASSERT_TRUE(WriteCatalog(file, header, Nested(c.levels))) << c.left;
        ASSERT_EQ(AnnounceCatalog(file.c_str(), CatalogChange::kReplaced), S_OK) << c.left;
        IdList expected = ParseFromDesktop(c.left);
        ASSERT_NE(expected.Get(), nullptr) << c.left;
        // The shown list keeps the catalogue's record as the view took it.
        char shownPath[MAX_PATH] = {};
        EXPECT_TRUE(PumpUntil([&] {
            ComPtr<IShellView> holder;
            FolderView* view = CurrentView(host, holder);
            if (view == nullptr || host.List() == nullptr) return false;
            TaskMemory<ItemId> shown(view->FolderIdentifier());
            if (shown == nullptr) return false;
            ItemIdFactory::PathOf(ItemIdFactory::Next(shown.Get()), shownPath, sizeof shownPath);
            const HRESULT order = Desktop()->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(shown.Get()),
                                                        expected.Get());
            return SUCCEEDED(order) && HRESULT_CODE(order) == 0;
        })) << c.left << " shows " << shownPath;
        EXPECT_EQ(ColumnTexts(host.List()), c.rows) << c.left;
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, ViewBehaviourTest,
                         ::testing::Values(HostKind::kExplorer, HostKind::kBrowser, HostKind::kWineLikeBrowser),
                         [](const ::testing::TestParamInfo<HostKind>& host) { return HostName(host.param); });

}  // namespace
}  // namespace cataloom::test
