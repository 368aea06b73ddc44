// Names the shell hands the namespace are untrusted: parsing, binding and
// renaming never reach a folder outside the data folder, and names the file
// system would silently change are refused.
#include <gtest/gtest.h>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ProcessObjects.h"
#include "settings/RegKey.h"
#include "tests/core/CatalogBuilder.h"
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

// A catalogue from anyone: names no capture writes show made visible, never
// as the sound neighbour a system call would turn them into; they have no
// parsing name, and neither they nor their visible forms parse to an item.
TEST(NamespaceSafety, HostileEntryNamesShowAsStoredAndNeverParse) {
    DataFolder data;
    const std::string long259(255, 'n');
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"C:\\Windows\\system32\\calc.exe", "C:\\x5cWindows\\x5csystem32\\x5ccalc.exe"},
        {"\\\\evilhost\\share\\x.exe", "\\x5c\\x5cevilhost\\x5cshare\\x5cx.exe"},
        {"..", "\\x2e\\x2e"},
        {"=cmd|' /C calc'!A0", "=cmd|' \\x2fC calc'!A0"},
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
        {"cut\x81", "cut\\x81"},
        {long259 + ".bin", long259 + ".bin"},  // 259 bytes: sound, shown whole
    };
    std::vector<EntryData> root = {Dir(".."), File("calc.exe", 1), File("x.exe", 2), File("C calc'!A0", 3)};
    for (const auto& c : cases)
        if (c.name != "..") root.push_back(File(c.name, 4));
    CatalogHeader header = MakeHeader("H");
    ASSERT_TRUE(WriteCatalog(data.Path("hostile.vmf"), header, {{"", 0, root}, {"..", 0, {File("inside", 5)}}}));

    ComPtr<IShellFolder> catalogue = OpenFolder("hostile.vmf");
    ASSERT_TRUE(catalogue);
    std::vector<IdList> items = Enumerate(catalogue.Get());
    for (const auto& c : cases) {
        const IdList& item = Find(items, c.name);
        ASSERT_TRUE(item) << c.shown;
        EXPECT_EQ(DisplayName(catalogue.Get(), item.Child(), SHGDN_NORMAL), c.shown);
        EXPECT_EQ(DisplayName(catalogue.Get(), item.Child(), SHGDN_INFOLDER), c.shown);
        IdList parsed;
        if (c.name == c.shown) {
            std::string inFolder = DisplayName(catalogue.Get(), item.Child(), SHGDN_INFOLDER | SHGDN_FORPARSING);
            EXPECT_EQ(inFolder, c.name);
            ASSERT_EQ(Parse(catalogue.Get(), inFolder, &parsed), S_OK);
            EXPECT_EQ(catalogue->CompareIDs(0, parsed.Child(), item.Child()), 0);
            continue;
        }
        for (SHGDNF flags : {SHGDNF(SHGDN_FORPARSING), SHGDNF(SHGDN_FORPARSING | SHGDN_INFOLDER)})
            EXPECT_EQ(DisplayName(catalogue.Get(), item.Child(), flags), "<" + std::to_string(E_FAIL) + ">") << c.shown;
        EXPECT_TRUE(FAILED(Parse(catalogue.Get(), c.name))) << c.shown;
        EXPECT_TRUE(FAILED(Parse(catalogue.Get(), c.shown))) << c.shown;
        HRESULT hr = S_OK;
        EXPECT_FALSE(ParseFromDesktop("hostile.vmf\\" + c.name, &hr)) << c.shown;
    }
    // The directory ".." opens onto its own entries, not its parent's.
    ComPtr<IShellFolder> dots;
    ASSERT_EQ(catalogue->BindToObject(Find(items, "..").Child(), nullptr, IID_IShellFolder, dots.PutVoid()), S_OK);
    EXPECT_EQ(NamesOf(Enumerate(dots.Get())), std::vector<std::string>{"inside"});
}

// Known extensions are hidden by the user's setting and the type's own keys,
// from the name's bytes alone.
TEST(NamespaceSafety, KnownExtensionsHideByTheUsersSetting) {
    DataFolder data;
    // Types of this user's own: one plain, one always shown, one never.
    const char* const kTypes[][3] = {{".cltest", "Cataloom.TestType", nullptr},
                                     {".clshown", "Cataloom.TestShown", "AlwaysShowExt"},
                                     {".clnever", "Cataloom.TestNever", "NeverShowExt"}};
    for (const auto& type : kTypes) {
        RegKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + type[0]).c_str()));
        ASSERT_TRUE(key.WriteString("", type[1]));
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + type[1]).c_str()));
        if (type[2] != nullptr) ASSERT_TRUE(key.WriteString(type[2], ""));
    }
    CatalogHeader header = MakeHeader("E");
    ASSERT_TRUE(WriteCatalog(data.Path("ext.vmf"), header,
                             {{"", 0,
                               {File("a.b.cltest", 1), File("s.clshown", 2), File("n.clnever", 3), File("u.unknownext", 4),
                                File(".cltest", 5), Dir("dir.cltest")}},
                              {"dir.cltest", 0, {}}}));
    ComPtr<IShellFolder> catalogue = OpenFolder("ext.vmf");
    ASSERT_TRUE(catalogue);
    std::vector<IdList> items = Enumerate(catalogue.Get());
    const char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    RegKey advanced;
    ASSERT_TRUE(advanced.Create(HKEY_CURRENT_USER, kAdvanced));
    DWORD before = 0;
    bool had = advanced.ReadDword("HideFileExt", before);
    const struct {
        const char* name;
        const char* shown;
        const char* hidden;
    } cases[] = {
        {"a.b.cltest", "a.b.cltest", "a.b"}, {"s.clshown", "s.clshown", "s.clshown"}, {"n.clnever", "n", "n"},
        {"u.unknownext", "u.unknownext", "u.unknownext"}, {".cltest", ".cltest", ".cltest"},
        {"dir.cltest", "dir.cltest", "dir.cltest"},
    };
    for (DWORD hide : {0u, 1u}) {
        ASSERT_TRUE(advanced.WriteDword("HideFileExt", hide));
        for (const auto& c : cases) {
            const IdList& item = Find(items, c.name);
            EXPECT_EQ(DisplayName(catalogue.Get(), item.Child(), SHGDN_NORMAL), hide ? c.hidden : c.shown) << hide;
            EXPECT_EQ(DisplayName(catalogue.Get(), item.Child(), SHGDN_INFOLDER | SHGDN_FORPARSING), c.name);
        }
    }
    if (had) advanced.WriteDword("HideFileExt", before);
    else advanced.DeleteValue("HideFileExt");
    for (const auto& type : kTypes) {
        DeleteRegTree(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + type[0]).c_str());
        DeleteRegTree(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + type[1]).c_str());
    }
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
