// Names the shell hands the namespace are untrusted: parsing, binding and
// renaming never reach a folder outside the data folder, and names the file
// system would silently change are refused.
#include <gtest/gtest.h>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"

namespace cataloom::test {
namespace {

using Ids = ItemIdFactory;

// A folder beside the data folder that nothing may list, rename or delete.
struct Outside {
    TempTree tree;
    std::string name = tree.Root().substr(tree.Root().rfind('\\') + 1);
    Outside() { tree.MakeDir("victim"); }
    bool Untouched() const {
        DWORD attributes = GetFileAttributesA(tree.Path("victim").c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
};

HRESULT Parse(IShellFolder* folder, const std::string& name, IdList* out = nullptr) {
    std::wstring wide(name.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    PIDLIST_RELATIVE list = nullptr;
    HRESULT hr = folder->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr);
    IdList owned(list);
    if (FAILED(hr)) {
        EXPECT_EQ(list, nullptr);
    }
    if (out != nullptr) *out = std::move(owned);
    return hr;
}

TEST(NamespaceSafety, DotComponentsNeverParseFromTheDesktopOrAnyLevel) {
    DataFolder data;
    Outside outside;
    data.Tree().MakeDir("a");
    const std::string escapes[] = {
        "..",
        "..\\" + outside.name,
        "..\\" + outside.name + "\\victim",
        "..\\..",
        ".",
        ".\\音楽",
        "a\\..\\..",
        "a\\..\\..\\" + outside.name,
        "音楽\\..\\..",
        "a/../..",
        "...",
        ".. ",
        "音楽.",
        "音楽 ",
    };
    for (const std::string& name : escapes) {
        HRESULT hr = S_OK;
        IdList parsed = ParseFromDesktop(name, &hr);
        EXPECT_TRUE(FAILED(hr)) << name;
        EXPECT_FALSE(parsed) << name;
    }
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IShellFolder> category = OpenFolder("音楽");
    ComPtr<IShellFolder> catalogue = OpenFolder("音楽\\アルバム.vmf");
    ASSERT_TRUE(root && category && catalogue);
    for (IShellFolder* folder : {root.Get(), category.Get(), catalogue.Get()}) {
        for (const char* name : {"..", ".", "..\\" "音楽"}) EXPECT_EQ(Parse(folder, name), E_INVALIDARG) << name;
        EXPECT_TRUE(FAILED(Parse(folder, "CD1\\..")));
    }
    // Plain names still parse, with a dot inside or in front.
    data.Tree().MakeDir(".x.y");
    EXPECT_EQ(Parse(root.Get(), ".x.y"), S_OK);
    EXPECT_EQ(Parse(root.Get(), "音楽\\アルバム.vmf\\CD1"), S_OK);
    EXPECT_TRUE(outside.Untouched());
}

TEST(NamespaceSafety, CraftedListsNeverBindOrListOutsideTheDataFolder) {
    DataFolder data;
    Outside outside;
    outside.tree.MakeFile("victim\\secret.vmf", 10);
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    for (const char* name : {"..", ".", "..\\..", "a\\..\\..", "音楽 "}) {
        IdList crafted(ids.MakeCategory(name));
        ComPtr<IShellFolder> bound;
        HRESULT hr = root->BindToObject(crafted.Get(), nullptr, IID_IShellFolder, bound.PutVoid());
        // Either the bind fails, or the folder it made has no path and lists nothing.
        if (SUCCEEDED(hr)) {
            ComPtr<IEnumIDList> items;
            EXPECT_TRUE(FAILED(bound->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.Put())))
                << name;
            char text[MAX_PATH];
            EXPECT_EQ(static_cast<CatalogFolder*>(bound.Get())->FileSystemPath(nullptr, text, sizeof text), -1)
                << name;
        }
        // Nor does it carry rename, delete or move rights.
        SFGAOF attributes = SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE | SFGAO_HASSUBFOLDER;
        PCUITEMID_CHILD child = crafted.Child();
        EXPECT_EQ(root->GetAttributesOf(1, &child, &attributes), E_INVALIDARG) << name;
        PITEMID_CHILD renamed = nullptr;
        EXPECT_TRUE(FAILED(root->SetNameOf(nullptr, child, L"moved", SHGDN_NORMAL, &renamed))) << name;
        EXPECT_EQ(renamed, nullptr);
    }
    // A media record naming a file that is no catalogue file is no folder.
    CatalogHeader header = {};
    IdList plainFile(ids.MakeMedia("c.txt", header));
    ComPtr<IShellFolder> bound;
    EXPECT_TRUE(FAILED(root->BindToObject(plainFile.Get(), nullptr, IID_IShellFolder, bound.PutVoid())));
    EXPECT_TRUE(outside.Untouched());
    EXPECT_TRUE(GetFileAttributesA(data.Path("moved").c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST(NamespaceSafety, RenamesAndNewCategoriesTakeOnlyNamesTheDiskKeeps) {
    DataFolder data;
    Outside outside;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    PCUITEMID_CHILD category = Find(items, "書類").Child();
    const std::string target = "..\\" + outside.name + "\\victim\\moved";
    for (const std::string& name : {std::string(".."), std::string("."), std::string("abc."), std::string("sp "),
                                    std::string("..."), target, std::string("a/b")}) {
        std::wstring wide(name.begin(), name.end());
        PITEMID_CHILD renamed = nullptr;
        EXPECT_EQ(root->SetNameOf(nullptr, category, wide.c_str(), SHGDN_NORMAL, &renamed), E_INVALIDARG) << name;
        EXPECT_EQ(renamed, nullptr);
        ItemId* created = nullptr;
        EXPECT_EQ(static_cast<CatalogFolder*>(root.Get())->CreateCategory(name.c_str(), &created), E_INVALIDARG)
            << name;
        EXPECT_EQ(created, nullptr);
    }
    EXPECT_NE(GetFileAttributesA(data.Path("書類").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(data.Path("abc").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(data.Path("sp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(outside.tree.Path("victim\\moved").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(outside.Untouched());

    // A plain name with dots inside still renames, and the new item matches the disk.
    PITEMID_CHILD renamed = nullptr;
    ASSERT_EQ(root->SetNameOf(nullptr, category, L"v1.2", SHGDN_NORMAL, &renamed), S_OK);
    IdList owned(renamed);
    EXPECT_EQ(std::string(Ids::CategoryName(owned.Id())), "v1.2");
    EXPECT_NE(GetFileAttributesA(data.Path("v1.2").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace cataloom::test
