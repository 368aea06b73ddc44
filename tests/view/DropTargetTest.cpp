// The folder's drop target through direct OLE calls: moves into categories,
// the effects it reports, and move blocks that another program could offer:
// damaged, naming files outside the data folder or things that are no
// category or catalogue.  Nothing of those may move.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/PathUtil.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/view/DragDropSupport.h"
#include "tests/view/ViewData.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;
constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.Tree().WriteFile("c.txt", "text");
        data.Tree().WriteFile("nomagic.vmf", std::string(600, 'x'));
        outside.MakeDir("outdir");
        CopyFileA(data.Path("a.vmf").c_str(), outside.Path("outside.vmf").c_str(), TRUE);
    }
    bool Exists(const std::string& relative) const { return path::Exists(data.Path(relative).c_str()); }
    // Drops `block` on the category 音楽 of the data folder.
    DropOutcome DropOnMusic(const Bytes& block, DWORD allowed = kAnyEffect) {
        ComPtr<IShellFolder> root = OpenFolder("");
        ComPtr<IDropTarget> target = DropTargetFor(root.Get(), "音楽");
        if (!target) {
            ADD_FAILURE() << "no drop target";
            return {};
        }
        return EnterAndDrop(target.Get(), OfferedBlock(block).Get(), allowed);
    }

    ViewData data;
    TempTree outside;
};

TEST_F(DropTargetTest, DamagedOrForeignBlocksMoveNothing) {
    const std::string inside = data.Path("a.vmf");
    Bytes pastTheEnd = AnsiBlock({inside});
    pastTheEnd[0] = 200;
    Bytes noDoubleZero = AnsiBlock({inside});
    noDoubleZero.pop_back();
    const std::string outsideFolder = path::LastComponent(outside.Root().c_str());
    struct Case {
        const char* what;
        Bytes block;
    };
    const Case cases[] = {
        {"list offset past the end", pastTheEnd},
        {"no double zero", noDoubleZero},
        {"a catalogue outside the data folder", AnsiBlock({outside.Path("outside.vmf")})},
        {"a folder outside the data folder", AnsiBlock({outside.Path("outdir")})},
        {"a path through ..", AnsiBlock({data.Tree().Root() + "\\..\\" + outsideFolder + "\\outside.vmf"})},
        {"a path through .. back inside", AnsiBlock({data.Path("ソフト\\..\\a.vmf")})},
        {"the data folder itself", AnsiBlock({data.Tree().Root()})},
        {"a file that is no catalogue", AnsiBlock({data.Path("c.txt")})},
        {"a .vmf file without the magic", AnsiBlock({data.Path("nomagic.vmf")})},
        {"something that does not exist", AnsiBlock({data.Path("gone.vmf")})},
        {"one sound path beside a foreign one", AnsiBlock({inside, outside.Path("outside.vmf")})},
        {"a wide path outside", WideBlock({outside.Path("outside.vmf")})},
    };
    for (const Case& c : cases) {
        DropOutcome outcome = DropOnMusic(c.block);
        EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
        EXPECT_TRUE(FAILED(outcome.dropped)) << c.what;
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
    }
    EXPECT_TRUE(FolderEntries(data.Path("音楽")).empty());
    EXPECT_EQ(FolderEntries(outside.Root()), (Names{"outdir", "outside.vmf"}));
    EXPECT_EQ(FolderEntries(data.Tree().Root()),
              (Names{"a.vmf", "b.vmf", "c.txt", "c.vmf", "nomagic.vmf", "ソフト", "音楽"}));
}

// Links inside the data folder that lead out of it, to a folder and to a
// catalogue: neither what they reach nor the links themselves move, and
// nothing moves into a category that is such a link.
TEST_F(DropTargetTest, NothingMovesThroughALinkOutOfTheDataFolder) {
    outside.MakeDir("outdir\\inner");
    ASSERT_TRUE(CopyFileA(data.Path("a.vmf").c_str(), outside.Path("outdir\\victim.vmf").c_str(), TRUE));
    UnixLink folderLink(outside.Path("outdir"), data.Path("リンク"));
    UnixLink fileLink(outside.Path("outside.vmf"), data.Path("linked.vmf"));
    // A link that stays inside is still a link: a path through it is refused too.
    UnixLink innerLink(data.Path("ソフト"), data.Path("内"));
    ASSERT_TRUE(folderLink.Made() && fileLink.Made() && innerLink.Made());
    // Wine shows a link to a folder as a reparse point, a link to a file as the file.
    EXPECT_NE(GetFileAttributesA(data.Path("リンク").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(GetFileAttributesA(data.Path("linked.vmf").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    struct Case {
        const char* what;
        Bytes block;
    };
    const Case cases[] = {
        {"a catalogue through a folder link", AnsiBlock({data.Path("リンク\\victim.vmf")})},
        {"a folder through a folder link", AnsiBlock({data.Path("リンク\\inner")})},
        {"the folder link itself", AnsiBlock({data.Path("リンク")})},
        {"a link to a catalogue", AnsiBlock({data.Path("linked.vmf")})},
        {"a wide path through a folder link", WideBlock({data.Path("リンク\\victim.vmf")})},
        {"a catalogue through a link that stays inside", AnsiBlock({data.Path("内\\道具.vmf")})},
    };
    for (const Case& c : cases) {
        DropOutcome outcome = DropOnMusic(c.block);
        EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
        EXPECT_TRUE(FAILED(outcome.dropped)) << c.what;
    }
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDropTarget> linked = DropTargetFor(root.Get(), "リンク");
    ASSERT_TRUE(linked);
    DropOutcome outcome = EnterAndDrop(linked.Get(), OfferedBlock(AnsiBlock({data.Path("a.vmf")})).Get(), kAnyEffect);
    EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(FAILED(outcome.dropped));
    EXPECT_TRUE(FolderEntries(data.Path("音楽")).empty());
    EXPECT_TRUE(Exists("a.vmf"));
    EXPECT_TRUE(Exists("ソフト\\道具.vmf"));
    EXPECT_EQ(FolderEntries(outside.Path("outdir")), (Names{"inner", "victim.vmf"}));
    EXPECT_EQ(FolderEntries(outside.Root()), (Names{"outdir", "outside.vmf"}));
}

TEST_F(DropTargetTest, CategoriesAndCataloguesMoveIntoTheCategory) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IShellFolder> software = OpenFolder("ソフト");
    ComPtr<IDropTarget> music = DropTargetFor(root.Get(), "音楽");
    ASSERT_TRUE(music);
    IdList rootList = ParseFromDesktop("");
    IdList musicList = ParseFromDesktop("音楽");
    RecordingView rootView(rootList.Get());
    RecordingView musicView(musicList.Get());

    DropOutcome outcome = EnterAndDrop(music.Get(), DataObjectFor(software.Get(), {"道具.vmf"}).Get(),
                                       DROPEFFECT_MOVE | DROPEFFECT_COPY);
    EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(outcome.dropped, S_OK);
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(FolderEntries(data.Path("音楽")), Names{"道具.vmf"});
    EXPECT_TRUE(FolderEntries(data.Path("ソフト")).empty());
    // Every open view refills itself from the disk.
    EXPECT_NE(std::find(rootView.calls.begin(), rootView.calls.end(), "Refresh"), rootView.calls.end());
    // The moved catalogue is announced in the folder that now holds it.
    EXPECT_EQ(musicView.calls, (Names{"Add 道具.vmf", "Refresh"}));
    EXPECT_EQ(std::count(rootView.calls.begin(), rootView.calls.end(), "Add 道具.vmf"), 0);

    // A category with what it holds, and a catalogue, together; the block
    // in UTF-16 this time.
    outcome = DropOnMusic(WideBlock({data.Path("ソフト"), data.Path("c.vmf")}), DROPEFFECT_MOVE);
    EXPECT_EQ(outcome.dropped, S_OK);
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(FolderEntries(data.Path("音楽")), (Names{"c.vmf", "ソフト", "道具.vmf"}));
    EXPECT_EQ(FolderEntries(data.Tree().Root()), (Names{"a.vmf", "b.vmf", "c.txt", "nomagic.vmf", "音楽"}));
}

TEST_F(DropTargetTest, NoMoveBeyondWhatTheSourceAllowsNorToWhereItemsAre) {
    ComPtr<IShellFolder> root = OpenFolder("");
    data.Tree().MakeDir("音楽\\sub");
    data.Tree().MakeDir("sub");
    data.Tree().MakeDir("sub\\ソフト");
    CopyFileA(data.Path("a.vmf").c_str(), data.Path("sub\\b.vmf").c_str(), TRUE);
    struct Case {
        const char* what;
        std::string category;  // in the data folder; empty: the data folder itself
        Names dragged;         // items of the data folder
        DWORD allowed;
    };
    const Case cases[] = {
        {"the source allows only a copy", "音楽", {"a.vmf"}, DROPEFFECT_COPY | DROPEFFECT_LINK},
        {"a catalogue into the folder it is in", "", {"a.vmf"}, kAnyEffect},
        {"a category into the folder it is in", "", {"ソフト"}, kAnyEffect},
        {"a category onto itself", "音楽", {"音楽"}, kAnyEffect},
        {"items of which one is where it goes", "ソフト", {"a.vmf", "ソフト"}, kAnyEffect},
        {"a catalogue onto a name the category has", "sub", {"b.vmf"}, kAnyEffect},
        {"a category onto a name the category has", "sub", {"ソフト"}, kAnyEffect},
    };
    for (const Case& c : cases) {
        ComPtr<IDropTarget> target = DropTargetFor(root.Get(), c.category);
        ASSERT_TRUE(target) << c.what;
        DropOutcome outcome = EnterAndDrop(target.Get(), DataObjectFor(root.Get(), c.dragged).Get(), c.allowed);
        EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
        EXPECT_TRUE(FAILED(outcome.dropped)) << c.what;
    }
    // Into one of its own sub-categories.
    ComPtr<IShellFolder> music = OpenFolder("音楽");
    ComPtr<IDropTarget> sub = DropTargetFor(music.Get(), "sub");
    ASSERT_TRUE(sub);
    DropOutcome outcome = EnterAndDrop(sub.Get(), DataObjectFor(root.Get(), {"音楽"}).Get(), kAnyEffect);
    EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(FolderEntries(data.Path("音楽")), Names{"sub"});
    EXPECT_EQ(FolderEntries(data.Path("sub")), (Names{"b.vmf", "ソフト"}));
    EXPECT_TRUE(FolderEntries(data.Path("sub\\ソフト")).empty());
    EXPECT_EQ(FolderEntries(data.Tree().Root()),
              (Names{"a.vmf", "b.vmf", "c.txt", "c.vmf", "nomagic.vmf", "sub", "ソフト", "音楽"}));
}

TEST_F(DropTargetTest, AFileFromTheShellIsNoNewCatalogue) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDropTarget> music = DropTargetFor(root.Get(), "音楽");
    ASSERT_TRUE(music);
    ComPtr<IDataObject> file = DataObjectOf(data.Path("c.txt"));
    ASSERT_TRUE(file);
    DropOutcome outcome = EnterAndDrop(music.Get(), file.Get(), kAnyEffect);
    EXPECT_EQ(outcome.entered, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(outcome.dropped, E_FAIL);
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
    DialogAnswerer none(kCreateCaption, IDCANCEL, 500);
    PumpMessages();
    EXPECT_FALSE(none.Dismiss()) << "no create dialog";
}

}  // namespace
}  // namespace cataloom::test
