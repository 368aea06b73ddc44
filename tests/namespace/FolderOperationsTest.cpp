// Changes made from inside the namespace: new categories, renames, deletion
// to the Recycle Bin and refreshes, each reaching the open views of the
// folder that changed and no others.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ViewList.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Ids = ItemIdFactory;
using Calls = std::vector<std::string>;

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The root folder, a view on it and a view on one of its categories.
class FolderOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = OpenFolder("");
        ASSERT_TRUE(root);
        folder = static_cast<CatalogFolder*>(root.Get());
        items = Enumerate(root.Get());
    }
    const ItemId* Item(const char* name) { return Find(items, name).Id(); }

    DataFolder data;
    ComPtr<IShellFolder> root;
    CatalogFolder* folder = nullptr;
    std::vector<IdList> items;
    IdList rootList = ParseFromDesktop("");
    IdList otherList = ParseFromDesktop("音楽");
    RecordingView rootView{rootList.Get()};
    RecordingView otherView{otherList.Get()};
};

TEST_F(FolderOperationsTest, NewCategoryNamesCountUpPastTakenOnes) {
    char name[MAX_PATH] = {};
    EXPECT_EQ(folder->NewCategoryName(nullptr, 0), E_POINTER);
    ASSERT_EQ(folder->NewCategoryName(name, sizeof name), S_OK);
    EXPECT_EQ(std::string(name), "新しいカテゴリ");
    data.Tree().WriteFile("新しいカテゴリ", "a file takes the name too");
    data.Tree().MakeDir("新しいカテゴリ(1)");
    ASSERT_EQ(folder->NewCategoryName(name, sizeof name), S_OK);
    EXPECT_EQ(std::string(name), "新しいカテゴリ(2)");
}

TEST_F(FolderOperationsTest, CreateCategoryReachesTheViewsOfItsFolderOnly) {
    ItemId* created = nullptr;
    ASSERT_EQ(folder->CreateCategory("新規", &created), S_OK);
    IdList owned(created);
    EXPECT_EQ(Ids::Kind(created), kKindCategory);
    EXPECT_EQ(std::string(Ids::CategoryName(created)), "新規");
    EXPECT_TRUE(IsFolder(data.Path("新規")));
    EXPECT_EQ(rootView.calls, Calls{"Add 新規"});
    EXPECT_TRUE(otherView.calls.empty());
    EXPECT_EQ(NamesOf(Enumerate(root.Get())).size(), items.size() + 1);

    EXPECT_EQ(folder->CreateCategory("新規", nullptr), E_INVALIDARG);
    EXPECT_EQ(folder->CreateCategory("c.txt", nullptr), E_INVALIDARG);  // a file is there
    EXPECT_EQ(folder->CreateCategory("a\\b", nullptr), E_INVALIDARG);
    EXPECT_EQ(folder->CreateCategory(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(rootView.calls.size(), 1u);
}

TEST_F(FolderOperationsTest, SetNameOfRenamesCategoriesOnly) {
    PCUITEMID_CHILD documents = Find(items, "書類").Child();
    PITEMID_CHILD renamed = nullptr;
    ASSERT_EQ(root->SetNameOf(nullptr, documents, L"文書", SHGDN_NORMAL, &renamed), S_OK);
    IdList owned(renamed);
    EXPECT_EQ(std::string(Ids::CategoryName(owned.Id())), "文書");
    EXPECT_TRUE(IsFolder(data.Path("文書")));
    EXPECT_FALSE(IsFolder(data.Path("書類")));
    EXPECT_EQ(rootView.calls, Calls{"Rename 書類 文書"});
    EXPECT_TRUE(otherView.calls.empty());

    // To a name that exists: nothing moves.
    PCUITEMID_CHILD music = Find(items, "音楽").Child();
    EXPECT_EQ(root->SetNameOf(nullptr, owned.Child(), L"音楽", SHGDN_NORMAL, nullptr), E_FAIL);
    EXPECT_TRUE(IsFolder(data.Path("文書")));
    EXPECT_TRUE(IsFolder(data.Path("音楽")));
    EXPECT_EQ(root->SetNameOf(nullptr, music, L"..\\外", SHGDN_NORMAL, nullptr), E_INVALIDARG);
    EXPECT_EQ(root->SetNameOf(nullptr, music, L"x", SHGDN_INFOLDER, nullptr), E_INVALIDARG);
    EXPECT_EQ(root->SetNameOf(nullptr, nullptr, L"x", SHGDN_NORMAL, nullptr), E_POINTER);
    EXPECT_EQ(root->SetNameOf(nullptr, Find(items, "disc.VMF").Child(), L"x.vmf", SHGDN_NORMAL, nullptr), E_NOTIMPL);
    EXPECT_EQ(rootView.calls.size(), 1u);
}

TEST_F(FolderOperationsTest, SetNameOfToTheSameNameOrAnotherSpellingOfIt) {
    // An unchanged name (an edit confirmed as it was) succeeds and changes nothing.
    PCUITEMID_CHILD music = Find(items, "音楽").Child();
    PITEMID_CHILD same = nullptr;
    ASSERT_EQ(root->SetNameOf(nullptr, music, L"音楽", SHGDN_NORMAL, &same), S_OK);
    IdList sameOwned(same);
    EXPECT_EQ(std::string(Ids::CategoryName(sameOwned.Id())), "音楽");
    EXPECT_TRUE(IsFolder(data.Path("音楽")));
    EXPECT_TRUE(rootView.calls.empty());

    // Only the letters' case changes: the folder takes the new spelling.
    ASSERT_TRUE(CreateDirectoryA(data.Path("abc").c_str(), nullptr));
    std::vector<IdList> fresh = Enumerate(root.Get());
    PITEMID_CHILD renamed = nullptr;
    ASSERT_EQ(root->SetNameOf(nullptr, Find(fresh, "abc").Child(), L"ABC", SHGDN_NORMAL, &renamed), S_OK);
    IdList owned(renamed);
    EXPECT_EQ(std::string(Ids::CategoryName(owned.Id())), "ABC");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(data.Path("abc").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_STREQ(found.cFileName, "ABC");
    EXPECT_EQ(rootView.calls, Calls{"Rename abc ABC"});
}

// The names of what the shell's Recycle Bin holds.
Calls RecycleBinNames() {
    PIDLIST_ABSOLUTE list = nullptr;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &list), S_OK);
    IdList binList(list);
    ComPtr<IShellFolder> bin;
    EXPECT_EQ(Desktop()->BindToObject(binList.Get(), nullptr, IID_IShellFolder, bin.PutVoid()), S_OK);
    Calls names;
    if (!bin) return names;
    for (const IdList& item : Enumerate(bin.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN))
        names.push_back(DisplayName(bin.Get(), item.Child(), SHGDN_INFOLDER));
    std::sort(names.begin(), names.end());
    return names;
}

// Empties the Recycle Bin.  Wine's SHEmptyRecycleBin leaves folders behind;
// its bin is the XDG trash that the test run points into the build tree, so
// that folder goes too (through the drive Wine maps to the Linux root).
void EmptyRecycleBin() {
    SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    char xdg[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("XDG_DATA_HOME", xdg, sizeof xdg);
    if (length == 0 || length >= sizeof xdg - 16 || xdg[0] != '/') return;
    // What it holds, not the folders themselves: without them Wine refuses
    // to recycle.  The operation takes a double-zero list.
    std::string trash = std::string("Z:") + xdg + "/Trash/files/*";
    trash += std::string(1, '\0') + "Z:" + xdg + "/Trash/info/*" + std::string(1, '\0');
    std::replace(trash.begin(), trash.end(), '/', '\\');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = trash.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

TEST_F(FolderOperationsTest, DeleteItemsSendsCategoriesAndCataloguesToTheRecycleBin) {
    // From an empty bin, so that nothing an earlier run left there counts.
    EmptyRecycleBin();
    ASSERT_EQ(RecycleBinNames(), Calls{});
    const ItemId* both[] = {Item("書類"), Item("disc.VMF")};
    ASSERT_EQ(folder->DeleteItems(both, 2), S_OK);
    EXPECT_FALSE(IsFolder(data.Path("書類")));
    EXPECT_EQ(GetFileAttributesA(data.Path("disc.VMF").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(rootView.calls, (Calls{"Remove 書類", "Remove disc.VMF"}));
    EXPECT_TRUE(otherView.calls.empty());
    // Both are in the shell's Recycle Bin, to be restored from there.
    EXPECT_EQ(RecycleBinNames(), (Calls{"disc.VMF", "書類"}));

    ComPtr<IShellFolder> catalogue = OpenFolder("音楽\\アルバム.vmf");
    ASSERT_TRUE(catalogue);
    std::vector<IdList> entries = Enumerate(catalogue.Get());
    const ItemId* entry[] = {entries.front().Id()};
    EXPECT_EQ(static_cast<CatalogFolder*>(catalogue.Get())->DeleteItems(entry, 1), E_INVALIDARG);
    EXPECT_TRUE(IsFolder(data.Path("音楽")));
    EXPECT_EQ(folder->DeleteItems(nullptr, 1), E_POINTER);
    const ItemId* missing[] = {Find(items, "書類").Id()};
    EXPECT_EQ(folder->DeleteItems(missing, 1), E_FAIL);  // already gone: nothing is sent
    EXPECT_EQ(rootView.calls.size(), 2u);
}

// A category that is a link to a folder outside the data folder: it is not
// deleted, and nothing in it is deleted, renamed or created.
TEST_F(FolderOperationsTest, NothingChangesThroughALinkOutOfTheDataFolder) {
    TempTree outside;
    outside.MakeDir("inner");
    ASSERT_TRUE(CopyFileA(data.Path("disc.VMF").c_str(), outside.Path("victim.vmf").c_str(), TRUE));
    UnixLink link(outside.Root(), data.Path("リンク"));
    ASSERT_TRUE(link.Made());
    ComPtr<IShellFolder> linked = OpenFolder("リンク");
    ASSERT_TRUE(linked);
    auto* linkedFolder = static_cast<CatalogFolder*>(linked.Get());
    std::vector<IdList> inside = Enumerate(linked.Get());
    const ItemId* victim[] = {Find(inside, "victim.vmf").Id()};
    const ItemId* inner[] = {Find(inside, "inner").Id()};
    EXPECT_EQ(linkedFolder->DeleteItems(victim, 1), E_ACCESSDENIED);
    EXPECT_EQ(linkedFolder->DeleteItems(inner, 1), E_ACCESSDENIED);
    EXPECT_EQ(linked->SetNameOf(nullptr, Find(inside, "inner").Child(), L"moved", SHGDN_NORMAL, nullptr),
              E_ACCESSDENIED);
    EXPECT_EQ(linkedFolder->CreateCategory("new", nullptr), E_FAIL);
    const std::vector<IdList> top = Enumerate(root.Get());
    const ItemId* theLink[] = {Find(top, "リンク").Id()};
    EXPECT_EQ(folder->DeleteItems(theLink, 1), E_ACCESSDENIED);
    EXPECT_EQ(root->SetNameOf(nullptr, reinterpret_cast<PCUITEMID_CHILD>(theLink[0]), L"moved", SHGDN_NORMAL, nullptr),
              E_ACCESSDENIED);
    EXPECT_TRUE(IsFolder(outside.Path("inner")));
    EXPECT_FALSE(IsFolder(outside.Path("moved")));
    EXPECT_FALSE(IsFolder(outside.Path("new")));
    EXPECT_NE(GetFileAttributesA(outside.Path("victim.vmf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsFolder(data.Path("リンク")));
    EXPECT_TRUE(rootView.calls.empty());
}

TEST_F(FolderOperationsTest, RefreshItemsUpdatesTheViewsOfItsFolder) {
    const ItemId* music[] = {Item("音楽")};
    EXPECT_EQ(folder->RefreshItems(music, 0), S_OK);
    EXPECT_TRUE(rootView.calls.empty());
    EXPECT_EQ(folder->RefreshItems(nullptr, 1), E_POINTER);
    ASSERT_EQ(folder->RefreshItems(music, 1), S_OK);
    EXPECT_EQ(rootView.calls, Calls{"Update 音楽"});
    EXPECT_TRUE(otherView.calls.empty());

    // A category's own folder reaches the view on it.
    ComPtr<IShellFolder> category = OpenFolder("音楽");
    ASSERT_TRUE(category);
    std::vector<IdList> media = Enumerate(category.Get());
    const ItemId* album[] = {media.front().Id()};
    ASSERT_EQ(static_cast<CatalogFolder*>(category.Get())->RefreshItems(album, 1), S_OK);
    EXPECT_EQ(otherView.calls, Calls{"Update アルバム.vmf"});
    EXPECT_EQ(rootView.calls.size(), 1u);
}

TEST_F(FolderOperationsTest, ViewListWalksAddsRemovesAndRefreshes) {
    ViewList& views = ProcessObjects::Views();
    EXPECT_EQ(views.Next(nullptr), &rootView);
    EXPECT_EQ(views.Next(&rootView), &otherView);
    EXPECT_EQ(views.Next(&otherView), nullptr);
    {
        RecordingView third(rootList.Get());
        EXPECT_EQ(views.Next(&otherView), &third);
        EXPECT_TRUE(views.Notify(0, nullptr, nullptr, nullptr));
        EXPECT_EQ(third.calls, Calls{"Refresh"});
    }
    EXPECT_EQ(views.Next(&otherView), nullptr);
    EXPECT_EQ(rootView.calls, Calls{"Refresh"});
    EXPECT_EQ(otherView.calls, Calls{"Refresh"});
    // No item: the concerned view refreshes; unknown events do nothing.
    EXPECT_TRUE(views.Notify(SHCNE_UPDATEDIR, reinterpret_cast<const ItemId*>(otherList.Get()), nullptr, nullptr));
    EXPECT_EQ(otherView.calls, (Calls{"Refresh", "Refresh"}));
    EXPECT_TRUE(views.Notify(SHCNE_CREATE, reinterpret_cast<const ItemId*>(otherList.Get()), Item("音楽"), nullptr));
    EXPECT_EQ(otherView.calls.size(), 2u);
    EXPECT_EQ(rootView.calls.size(), 1u);
    views.Remove(&otherView);
    EXPECT_EQ(views.Next(&rootView), nullptr);
    views.Add(&otherView);  // listed again for its destructor
}

TEST_F(FolderOperationsTest, AViewOpenedAfterTheLastOneClosedIsStillNotified) {
    // Views come and go in any order; one listed after the list ran empty,
    // or after the last one left, must still hear of every change.
    struct Case {
        const char* what;
        std::vector<int> closed;  // of views 0 and 1, listed in that order
    };
    for (const Case& c : {Case{"after the only view closed", {0}}, Case{"after both closed", {0, 1}},
                          Case{"after both closed, last one first", {1, 0}}, Case{"after the last one closed", {1}}}) {
        ViewList views;
        RecordingView first(rootList.Get()), second(rootList.Get()), opened(rootList.Get());
        RecordingView* listed[] = {&first, &second};
        ASSERT_TRUE(views.Add(&first));
        ASSERT_TRUE(views.Add(&second));
        for (int index : c.closed) views.Remove(listed[index]);
        RecordingView* left = c.closed.size() == 1 ? listed[1 - c.closed[0]] : nullptr;
        ASSERT_TRUE(views.Add(&opened));
        EXPECT_EQ(views.Next(left), &opened) << c.what;
        EXPECT_EQ(views.Next(&opened), nullptr) << c.what;
        ASSERT_TRUE(views.Notify(SHCNE_UPDATEDIR, reinterpret_cast<const ItemId*>(rootList.Get()), Item("音楽"),
                                 nullptr));
        EXPECT_EQ(opened.calls, Calls{"Update 音楽"}) << c.what;
        for (RecordingView* view : listed)
            EXPECT_EQ(view->calls, view == left ? Calls{"Update 音楽"} : Calls{}) << c.what;
    }
}

}  // namespace
}  // namespace cataloom::test
