// Objects of the layers above the folder: the folder hands them out through
// the constructor installed for the interface, with itself and the items.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/FolderObjects.h"
#include "tests/namespace/ShellTestSupport.h"

namespace cataloom::test {
namespace {

struct Request {
    CatalogFolder* folder;
    HWND owner;
    std::vector<std::string> items;
};
std::vector<Request> g_requests;

HRESULT RecordRequest(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID, void** out) {
    Request request{folder, owner, {}};
    for (UINT i = 0; i < count; ++i) request.items.push_back(ItemIdFactory::Name(items[i]));
    g_requests.push_back(request);
    *out = reinterpret_cast<void*>(0x1234);  // never used as an interface
    return S_OK;
}

class FolderObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { g_requests.clear(); }
    // The context menu has no object of its own in this program.
    void TearDown() override { InstallFolderObject(IID_IContextMenu, nullptr); }

    DataFolder data;
};

TEST_F(FolderObjectsTest, TheFolderPassesItselfItsOwnerAndTheItemsToTheInstalledConstructor) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    PCUITEMID_CHILD chosen[] = {Find(items, "音楽").Child(), Find(items, "disc.VMF").Child()};
    HWND owner = reinterpret_cast<HWND>(0x4321);
    void* out = reinterpret_cast<void*>(1);

    // Nothing installed: no such object.
    EXPECT_EQ(root->GetUIObjectOf(owner, 2, chosen, IID_IContextMenu, nullptr, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CreateFolderObject(nullptr, nullptr, 0, nullptr, IID_IContextMenu, &out), E_NOINTERFACE);

    ASSERT_TRUE(InstallFolderObject(IID_IContextMenu, RecordRequest));
    EXPECT_EQ(root->GetUIObjectOf(owner, 2, chosen, IID_IContextMenu, nullptr, &out), S_OK);
    EXPECT_EQ(out, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(root->CreateViewObject(owner, IID_IContextMenu, &out), S_OK);
    // Another interface still has none.
    EXPECT_EQ(root->CreateViewObject(owner, IID_IDropTarget, &out), E_NOINTERFACE);
    EXPECT_EQ(CreateFolderObject(nullptr, nullptr, 2, nullptr, IID_IContextMenu, &out), E_INVALIDARG);
    ASSERT_EQ(g_requests.size(), 2u);
    auto* folder = static_cast<CatalogFolder*>(root.Get());
    EXPECT_EQ(g_requests[0].folder, folder);
    EXPECT_EQ(g_requests[0].owner, owner);
    EXPECT_EQ(g_requests[0].items, (std::vector<std::string>{"音楽", "disc.VMF"}));
    EXPECT_EQ(g_requests[1].folder, folder);
    EXPECT_TRUE(g_requests[1].items.empty());

    // Removed again, the folder has none.
    ASSERT_TRUE(InstallFolderObject(IID_IContextMenu, nullptr));
    EXPECT_EQ(root->CreateViewObject(owner, IID_IContextMenu, &out), E_NOINTERFACE);
    EXPECT_EQ(g_requests.size(), 2u);
}

}  // namespace
}  // namespace cataloom::test
