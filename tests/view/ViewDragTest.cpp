// Drags between real views in the shell's explorer browser component, run by
// the system's drag loop: with no mouse button held it drops at once where
// the cursor is, so each test puts the cursor over the target row and starts
// the drag as the list would (LVN_BEGINDRAG).  Also the highlight while
// hovering, and a directory from the shell dropped on a category.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/PathUtil.h"
#include "namespace/ComObject.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/DragDropSupport.h"
#include "tests/view/ViewData.h"
#include "tests/view/ViewTestSupport.h"
#include "view/ItemDropSource.h"

namespace cataloom::test {
namespace {

using Texts = std::vector<std::string>;
using Names = std::vector<std::string>;

// Root rows, in the view's order: categories, then catalogues by label.
const Texts kRootRows = {"ソフト", "音楽", "alpha", "Beta", "ガンマ"};

// Records what the system's drag loop shows while the cursor visits
// `points`, each for a few rounds of the loop; then cancels the drag.
class HoverSource final : public ComObject<HoverSource, IDropSource> {
public:
    struct Seen {
        DWORD effect;
        std::vector<int> highlighted;
    };
    HoverSource(HWND list, std::vector<POINT> points) : list_(list), points_(std::move(points)) {}

    STDMETHODIMP QueryContinueDrag(BOOL, DWORD) noexcept override {
        const std::size_t step = round_ / kRounds;
        const bool first = round_ % kRounds == 0;
        ++round_;
        if (first && step > 0) seen.push_back({effect_, RowsWithState(list_, LVIS_DROPHILITED)});
        if (step >= points_.size()) return DRAGDROP_S_CANCEL;
        if (first) SetCursorPos(points_[step].x, points_[step].y);
        return S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) noexcept override {
        effect_ = effect;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

    std::vector<Seen> seen;

private:
    static constexpr std::size_t kRounds = 3;
    HWND list_;
    std::vector<POINT> points_;
    std::size_t round_ = 0;
    DWORD effect_ = 0xFFFF;
};

class ViewDragTest : public ::testing::Test {
protected:
    // A host showing "::{CLSID}\where".
    std::unique_ptr<ViewHost> Open(const std::string& where) {
        std::unique_ptr<ViewHost> host = MakeHost(HostKind::kExplorer);
        IdList absolute = ParseFromDesktop(where);
        EXPECT_EQ(host->Browse(absolute.Get()), S_OK) << where;
        EXPECT_TRUE(PumpUntil([&] { return host->List() != nullptr && ItemCount(host->List()) >= 0; })) << where;
        PumpMessages();
        return host;
    }
    // Selects the rows labelled `labels` in `from` and drags them, the
    // cursor over the row `onto` of `to` (empty: below its rows).
    void Drag(ViewHost& from, const Texts& labels, ViewHost& to, const std::string& onto) {
        HWND target = to.List();
        ASSERT_NE(target, nullptr);
        // The target's window above every other at the cursor.
        SetWindowPos(to.Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpMessages();
        int row = onto.empty() ? -1 : RowOf(target, onto);
        ASSERT_TRUE(onto.empty() || row >= 0) << onto;
        DragTo(from, labels, to.Window(), onto.empty() ? BelowRows(target) : RowPoint(target, row));
    }
    // The same with the cursor at `point` of the screen, over `window`.
    void DragTo(ViewHost& from, const Texts& labels, HWND window, POINT point) {
        HWND source = from.List();
        ASSERT_NE(source, nullptr);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpMessages();
        SetCursorPos(point.x, point.y);
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        SendMessageA(source, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        int first = -1;
        for (const std::string& label : labels) {
            int selected = RowOf(source, label);
            ASSERT_GE(selected, 0) << label;
            if (first < 0) first = selected;
            state.state = LVIS_SELECTED;
            SendMessageA(source, LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&state));
        }
        NMLISTVIEW begin = {};
        begin.hdr.hwndFrom = source;
        begin.hdr.idFrom = 2000;
        begin.hdr.code = LVN_BEGINDRAG;
        begin.iItem = first;
        SendMessageA(GetParent(source), WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&begin));
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        PumpMessages();
    }
    bool Exists(const std::string& relative) const { return path::Exists(data.Path(relative).c_str()); }

    ViewData data;
};

TEST(ItemDropSourceTest, EscapeCancelsAndReleasingTheButtonDrops) {
    ComPtr<IDropSource> source;
    *source.Put() = new ItemDropSource();
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_CONTROL), DRAGDROP_S_DROP);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(ViewDragTest, ACatalogueDroppedOnACategoryOfAnotherViewMovesThere) {
    std::unique_ptr<ViewHost> software = Open("ソフト");
    std::unique_ptr<ViewHost> root = Open("");
    std::unique_ptr<ViewHost> music = Open("音楽");
    ASSERT_EQ(ColumnTexts(software->List()), Texts{"道具"});
    ASSERT_EQ(ColumnTexts(root->List()), kRootRows);
    Drag(*software, {"道具"}, *root, "音楽");
    EXPECT_TRUE(Exists("音楽\\道具.vmf"));
    EXPECT_FALSE(Exists("ソフト\\道具.vmf"));
    // Every open view shows what is on disk now.
    EXPECT_TRUE(PumpUntil([&] { return ItemCount(software->List()) == 0; }));
    EXPECT_TRUE(PumpUntil([&] { return ColumnTexts(music->List()) == Texts{"道具"}; }))
        << ColumnTexts(music->List()).size();
    EXPECT_EQ(ColumnTexts(root->List()), kRootRows);
}

// The node labelled `label` among the children of the tree's root; the
// middle of its text on the screen.
bool TreeNodePoint(HWND tree, const std::string& label, POINT& point) {
    for (HTREEITEM node = TreeView_GetChild(tree, TreeView_GetRoot(tree)); node != nullptr;
         node = TreeView_GetNextSibling(tree, node)) {
        if (TreeText(tree, node) != label) continue;
        RECT rect = {};
        std::memcpy(&rect, &node, sizeof node);  // the message takes the node in the rectangle
        if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return false;
        point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        return ClientToScreen(tree, &point) != FALSE;
    }
    return false;
}

TEST_F(ViewDragTest, ACatalogueDroppedOnACategoryInTheBrowsersTreeMovesThere) {
    std::unique_ptr<ViewHost> software = Open("ソフト");
    BrowserHost browser(false);
    IdList root = ParseFromDesktop("");
    ASSERT_EQ(browser.Browse(root.Get()), S_OK);
    HWND tree = nullptr;
    ASSERT_EQ(browser.Browser()->GetControlWindow(FCW_TREE, &tree), S_OK);
    PumpMessages();
    POINT music = {};
    ASSERT_TRUE(TreeNodePoint(tree, "音楽", music));
    // Onto the catalogue's own category: the tree refuses it, nothing moves.
    POINT ownCategory = {};
    ASSERT_TRUE(TreeNodePoint(tree, "ソフト", ownCategory));
    DragTo(*software, {"道具"}, browser.Window(), ownCategory);
    EXPECT_TRUE(Exists("ソフト\\道具.vmf"));
    DragTo(*software, {"道具"}, browser.Window(), music);
    EXPECT_TRUE(Exists("音楽\\道具.vmf"));
    EXPECT_FALSE(Exists("ソフト\\道具.vmf"));
    EXPECT_TRUE(PumpUntil([&] { return ItemCount(software->List()) == 0; }));
    // Nothing stays marked in the tree.
    EXPECT_EQ(TreeView_GetDropHilight(tree), nullptr);
}

TEST_F(ViewDragTest, ACategoryDroppedOnACategoryOfTheSameViewMovesWithWhatItHolds) {
    std::unique_ptr<ViewHost> root = Open("");
    Drag(*root, {"ソフト"}, *root, "音楽");
    EXPECT_TRUE(Exists("音楽\\ソフト\\道具.vmf"));
    EXPECT_FALSE(Exists("ソフト"));
    EXPECT_TRUE(PumpUntil([&] { return ColumnTexts(root->List()) == Texts{"音楽", "alpha", "Beta", "ガンマ"}; }));
    std::unique_ptr<ViewHost> music = Open("音楽");
    EXPECT_EQ(ColumnTexts(music->List()), Texts{"ソフト"});
}

TEST_F(ViewDragTest, DropsWhereTheItemsAreOrOnEmptySpaceChangeNothing) {
    std::unique_ptr<ViewHost> root = Open("");
    struct Case {
        Texts dragged;
        std::string onto;
    };
    for (const Case& c : {Case{{"音楽"}, "音楽"}, Case{{"alpha"}, "Beta"}, Case{{"ソフト", "alpha"}, "ガンマ"},
                          Case{{"alpha"}, ""}}) {
        Drag(*root, c.dragged, *root, c.onto);
        PumpMessages();
        EXPECT_EQ(ColumnTexts(root->List()), kRootRows) << c.onto;
    }
    EXPECT_EQ(FolderEntries(data.Tree().Root()), (Names{"a.vmf", "b.vmf", "c.vmf", "ソフト", "音楽"}));
    EXPECT_TRUE(FolderEntries(data.Path("音楽")).empty());
    EXPECT_EQ(FolderEntries(data.Path("ソフト")), Names{"道具.vmf"});
}

TEST_F(ViewDragTest, EntriesInsideACatalogueAreNotDragged) {
    std::unique_ptr<ViewHost> catalogue = Open("ソフト\\道具.vmf");
    std::unique_ptr<ViewHost> root = Open("");
    Drag(*catalogue, {"readme.txt"}, *root, "音楽");
    EXPECT_TRUE(FolderEntries(data.Path("音楽")).empty());
    EXPECT_EQ(FolderEntries(data.Path("ソフト")), Names{"道具.vmf"});
    EXPECT_EQ(ColumnTexts(root->List()), kRootRows);
}

TEST_F(ViewDragTest, AMoveOntoANameTheCategoryHasIsRefusedAndLosesNothing) {
    // 音楽 already holds an a.vmf (b.vmf's bytes).  Wine's file operation
    // would replace it without a question.
    CopyFileA(data.Path("b.vmf").c_str(), data.Path("音楽\\a.vmf").c_str(), TRUE);
    const std::string original = FileBytes(data.Path("a.vmf"));
    const std::string other = FileBytes(data.Path("音楽\\a.vmf"));
    std::unique_ptr<ViewHost> root = Open("");
    std::unique_ptr<ViewHost> music = Open("音楽");
    ASSERT_EQ(ColumnTexts(music->List()), Texts{"Beta"});
    DialogAnswerer question("Cataloom", IDNO, 3000);
    Drag(*root, {"alpha"}, *root, "音楽");
    EXPECT_FALSE(question.Dismiss()) << question.Message();
    EXPECT_EQ(FileBytes(data.Path("a.vmf")), original);
    EXPECT_EQ(FileBytes(data.Path("音楽\\a.vmf")), other);
    PumpMessages();
    EXPECT_EQ(ColumnTexts(root->List()), kRootRows) << "nothing reported as moved";
    EXPECT_EQ(ColumnTexts(music->List()), Texts{"Beta"});
}

TEST_F(ViewDragTest, HoveringHighlightsTheCategoryThatWouldTakeTheDrop) {
    std::unique_ptr<ViewHost> root = Open("");
    HWND list = root->List();
    ASSERT_EQ(ColumnTexts(list), kRootRows);
    SetWindowPos(root->Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages();
    ComPtr<IShellFolder> software = OpenFolder("ソフト");
    ComPtr<IDataObject> tools = DataObjectFor(software.Get(), {"道具.vmf"});
    ASSERT_TRUE(tools);
    const int music = RowOf(list, "音楽");
    auto* source = new HoverSource(list, {RowPoint(list, music), RowPoint(list, RowOf(list, "ソフト")),
                                          RowPoint(list, RowOf(list, "alpha")), BelowRows(list),
                                          RowPoint(list, music)});
    ComPtr<IDropSource> holder;
    *holder.Put() = source;
    DWORD effect = 0;
    EXPECT_EQ(DoDragDrop(tools.Get(), source, DROPEFFECT_MOVE, &effect), DRAGDROP_S_CANCEL);
    SetWindowPos(root->Window(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_EQ(source->seen.size(), 5u);
    const DWORD move = DROPEFFECT_MOVE, none = DROPEFFECT_NONE;
    const std::vector<int> nothing;
    EXPECT_EQ(source->seen[0].effect, move) << "over a category";
    EXPECT_EQ(source->seen[0].highlighted, std::vector<int>{music});
    EXPECT_EQ(source->seen[1].effect, none) << "over the folder the catalogue is in";
    EXPECT_EQ(source->seen[1].highlighted, nothing);
    EXPECT_EQ(source->seen[2].effect, move) << "over a catalogue: into the view's folder";
    EXPECT_EQ(source->seen[2].highlighted, nothing);
    EXPECT_EQ(source->seen[3].effect, none) << "over empty space";
    EXPECT_EQ(source->seen[3].highlighted, nothing);
    EXPECT_EQ(source->seen[4].effect, move);
    EXPECT_EQ(source->seen[4].highlighted, std::vector<int>{music});
    EXPECT_EQ(RowsWithState(list, LVIS_DROPHILITED), nothing) << "left without a highlight";
    EXPECT_TRUE(Exists("ソフト\\道具.vmf"));
}

TEST_F(ViewDragTest, ASourceThatAllowsNoMoveMovesNothingOntoACategoryRow) {
    std::unique_ptr<ViewHost> root = Open("");
    HWND list = root->List();
    ASSERT_EQ(ColumnTexts(list), kRootRows);
    ComPtr<IShellFolder> software = OpenFolder("ソフト");
    ComPtr<IDataObject> tools = DataObjectFor(software.Get(), {"道具.vmf"});
    ASSERT_TRUE(tools);
    // The view's own target, as the view registered it: the system's drag
    // loop masks the effect itself and would hide a target that does not.
    // Windows and Wine both keep it in this window property.
    auto* target = static_cast<IDropTarget*>(GetPropA(GetParent(list), "OleDropTargetInterface"));
    ASSERT_NE(target, nullptr);
    const POINT row = RowPoint(list, RowOf(list, "音楽"));
    const POINTL over = {row.x, row.y};
    const DWORD copyOnly = DROPEFFECT_COPY | DROPEFFECT_LINK;
    DWORD effect = copyOnly;
    EXPECT_EQ(target->DragEnter(tools.Get(), MK_LBUTTON, over, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "entered";
    effect = copyOnly;
    target->Drop(tools.Get(), 0, over, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "dropped";
    PumpMessages();
    EXPECT_EQ(FolderEntries(data.Path("ソフト")), Names{"道具.vmf"});
    EXPECT_TRUE(FolderEntries(data.Path("音楽")).empty());
    EXPECT_EQ(ColumnTexts(list), kRootRows);
    // The same move the source does allow goes there.
    effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(tools.Get(), MK_LBUTTON, over, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    target->DragLeave();
}

TEST_F(ViewDragTest, ADirectoryDroppedOnACategoryBecomesACatalogueThereAfterTheDrag) {
    TempTree source;
    MakeSource(source);
    std::unique_ptr<ViewHost> root = Open("");
    std::unique_ptr<ViewHost> music = Open("音楽");
    ComPtr<IDataObject> directory = DataObjectOf(source.Root());
    ASSERT_TRUE(directory);

    // Views take only the move format: the directory is refused there.
    SetWindowPos(root->Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    POINT over = RowPoint(root->List(), RowOf(root->List(), "音楽"));
    SetCursorPos(over.x, over.y);
    ComPtr<IDropSource> drops;
    *drops.Put() = new ItemDropSource();
    DWORD effect = 0xFF;
    DoDragDrop(directory.Get(), drops.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    SetWindowPos(root->Window(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    PumpMessages();

    // The category's own drop target (the shell's tree drops there).
    ComPtr<IShellFolder> folder = OpenFolder("");
    ComPtr<IDropTarget> target = DropTargetFor(folder.Get(), "音楽");
    ASSERT_TRUE(target);
    DropOutcome outcome = EnterAndDrop(target.Get(), directory.Get(), DROPEFFECT_COPY | DROPEFFECT_LINK);
    EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(outcome.dropped, S_OK);
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_LINK));
    // Drop has returned before any dialog: the capture waits for the drag's end.
    EXPECT_EQ(FindWindowA("#32770", kCreateCaption), nullptr);

    WindowScript script([] { NameAndCapture("新しいディスク"); });
    EXPECT_TRUE(PumpUntil([&] { return path::Exists(data.Path("音楽\\新しいディスク.vmf").c_str()); }, 20000));
    script.Finish();
    EXPECT_TRUE(PumpUntil([&] { return ColumnTexts(music->List()) == Texts{"新しいディスク"}; }))
        << ColumnTexts(music->List()).size();
    EXPECT_EQ(ColumnTexts(root->List()), kRootRows) << "the root's view gets no row of the category";
    EXPECT_TRUE(FolderEntries(data.Tree().Root()) == (Names{"a.vmf", "b.vmf", "c.vmf", "ソフト", "音楽"}));
}

}  // namespace
}  // namespace cataloom::test
