// The namespace reached as Explorer reaches it: the desktop folder parses the
// namespace's name, binds, enumerates, names and parses names back.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "settings/ClassIds.h"
#include "namespace/IconCache.h"
#include "namespace/ObjectCount.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

using Ids = ItemIdFactory;
using Names = std::vector<std::string>;

constexpr SHCONTF kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NamespaceRoot, DesktopParsesBindsAndListsTheNamespace) {
    DataFolder data;
    HRESULT hr = E_FAIL;
    IdList root = ParseFromDesktop("", &hr);
    ASSERT_EQ(hr, S_OK);
    LONG before = ObjectCount().Get();
    ComPtr<IShellFolder> folder = BindFromDesktop(root, &hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_GT(ObjectCount().Get(), before);  // served by this program's folder class
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(folder->QueryInterface(IID_IPersistFolder, persist.PutVoid()), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClsidFolder));

    // The desktop's own enumeration holds the namespace entry.
    ComPtr<IShellFolder> desktop = Desktop();
    bool listed = false;
    for (const IdList& item : Enumerate(desktop.Get(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN))
        listed = listed || desktop->CompareIDs(0, item.Get(), root.Get()) == S_OK;
    EXPECT_TRUE(listed);
    EXPECT_EQ(DisplayName(desktop.Get(), root.Child(), SHGDN_NORMAL), "Cataloom");
}

TEST(NamespaceEnumeration, DataFolderListsCategoriesAndWholeCataloguesOnly) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    EXPECT_EQ(Sorted(NamesOf(items)), Sorted({"音楽", "書類", "隠し", "disc.VMF", "broken.vmf", "a.b.vmf"}));
    for (const IdList& item : items) {
        std::string name = Ids::Name(item.Id());
        bool category = name == "音楽" || name == "書類" || name == "隠し";
        EXPECT_EQ(Ids::Kind(item.Id()), category ? kKindCategory : kKindMedia) << name;
    }
    EXPECT_EQ(Ids::MediaName(Find(items, "disc.VMF").Id()), std::string("ディスク"));
    // The data folder's levels list folders whatever the flags say.
    EXPECT_EQ(Enumerate(root.Get(), SHCONTF_NONFOLDERS).size(), items.size());

    ComPtr<IShellFolder> hidden = OpenFolder("隠し");
    ASSERT_TRUE(hidden);
    EXPECT_EQ(NamesOf(Enumerate(hidden.Get())), Names{"disc.VMF"});
    ComPtr<IShellFolder> empty = OpenFolder("書類");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(Enumerate(empty.Get()).empty());
}

TEST(NamespaceEnumeration, CatalogueListsDirectoriesFirstByTheFlags) {
    DataFolder data;
    ComPtr<IShellFolder> catalogue = OpenFolder("音楽\\アルバム.vmf");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), kAll)), (Names{"CD1", "CD2", "ソース", "readme.txt"}));
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), SHCONTF_FOLDERS)), (Names{"CD1", "CD2", "ソース"}));
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), SHCONTF_NONFOLDERS)), Names{"readme.txt"});
    ComPtr<IShellFolder> directory = OpenFolder("音楽\\アルバム.vmf\\CD1");
    ASSERT_TRUE(directory);
    std::vector<IdList> songs = Enumerate(directory.Get(), kAll);
    ASSERT_EQ(NamesOf(songs), (Names{"01.mp3", "02.mp3"}));
    EXPECT_EQ(Ids::EntrySize(songs[0].Id()), 3000u);
    ComPtr<IShellFolder> deeper = OpenFolder("音楽\\アルバム.vmf\\ソース");
    ASSERT_TRUE(deeper);
    EXPECT_EQ(NamesOf(Enumerate(deeper.Get(), kAll)), Names{"表.txt"});
}

TEST(NamespaceEnumeration, ACatalogueWithoutANameBrowsesLikeAnyOther) {
    // A volume without a label captured at its root: the catalogue's name,
    // and so its root directory's name, is empty.
    DataFolder data;
    TempTree source;
    source.MakeDir("sub");
    source.MakeFile("sub\\inner.txt", 5);
    source.MakeFile("top.txt", 7);
    Capture(source.Root(), data.Path("unnamed.vmf"), "");
    ComPtr<IShellFolder> catalogue = OpenFolder("unnamed.vmf");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), kAll)), (Names{"sub", "top.txt"}));
    ComPtr<IShellFolder> directory = OpenFolder("unnamed.vmf\\sub");
    ASSERT_TRUE(directory);
    EXPECT_EQ(NamesOf(Enumerate(directory.Get(), kAll)), Names{"inner.txt"});
    // It shows under its file name without the extension, never blank.
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    EXPECT_EQ(DisplayName(root.Get(), Find(items, "unnamed.vmf").Child(), SHGDN_NORMAL), "unnamed");
    EXPECT_EQ(DisplayName(root.Get(), Find(items, "unnamed.vmf").Child(), SHGDN_INFOLDER | SHGDN_FORPARSING),
              "unnamed.vmf");
    EXPECT_EQ(DisplayName(root.Get(), Find(items, "disc.VMF").Child(), SHGDN_NORMAL), "ディスク");
}

TEST(NamespaceEnumeration, NextSkipAndResetFollowTheEnumeratorRules) {
    DataFolder data;
    ComPtr<IShellFolder> catalogue = OpenFolder("音楽\\アルバム.vmf");
    ASSERT_TRUE(catalogue);
    ComPtr<IEnumIDList> enumerator;
    ASSERT_EQ(catalogue->EnumObjects(nullptr, SHCONTF_FOLDERS, enumerator.Put()), S_OK);

    PITEMID_CHILD items[5] = {};
    ULONG fetched = 99;
    EXPECT_EQ(enumerator->Next(2, items, nullptr), E_INVALIDARG);
    EXPECT_EQ(enumerator->Next(5, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 3u);
    std::vector<IdList> first;
    for (ULONG i = 0; i < fetched; ++i) first.emplace_back(items[i]);
    EXPECT_EQ(enumerator->Next(1, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(enumerator->Next(0, items, &fetched), S_OK);

    EXPECT_EQ(enumerator->Reset(), S_OK);
    std::vector<IdList> again;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(enumerator->Next(1, items, nullptr), S_OK);  // one item needs no count
        again.emplace_back(items[0]);
    }
    EXPECT_EQ(NamesOf(again), NamesOf(first));

    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(2), S_OK);
    ASSERT_EQ(enumerator->Next(1, items, &fetched), S_OK);
    IdList third(items[0]);
    EXPECT_EQ(std::string(Ids::Name(third.Id())), "ソース");
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    ComPtr<IEnumIDList> clone;
    EXPECT_EQ(enumerator->Clone(clone.Put()), E_NOTIMPL);
}

TEST(NamespaceBinding, ThreeLevelsDeepFromOneListAndNamesThatParseBack) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> top = Enumerate(root.Get());
    ComPtr<IShellFolder> category;
    ASSERT_EQ(root->BindToObject(Find(top, "音楽").Get(), nullptr, IID_IShellFolder, category.PutVoid()), S_OK);
    std::vector<IdList> media = Enumerate(category.Get());
    ASSERT_EQ(NamesOf(media), Names{"アルバム.vmf"});
    ComPtr<IShellFolder> catalogue;
    ASSERT_EQ(category->BindToObject(media[0].Get(), nullptr, IID_IShellFolder, catalogue.PutVoid()), S_OK);
    std::vector<IdList> entries = Enumerate(catalogue.Get(), kAll);

    // One three-record list binds to the directory in one call.
    IdList path(ILCombine(ILCombine(Find(top, "音楽").Get(), media[0].Get()), Find(entries, "ソース").Get()));
    ComPtr<IShellFolder> directory;
    ASSERT_EQ(root->BindToObject(path.Get(), nullptr, IID_IShellFolder, directory.PutVoid()), S_OK);
    auto* folder = static_cast<CatalogFolder*>(directory.Get());
    char text[520];
    ASSERT_GT(folder->CataloguePath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), "アルバム\\ソース");
    ASSERT_GT(folder->FileSystemPath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), data.Path("音楽\\アルバム.vmf"));
    EXPECT_EQ(NamesOf(Enumerate(directory.Get(), kAll)), Names{"表.txt"});

    // Names for display, for parsing in the folder and in full.
    EXPECT_EQ(DisplayName(category.Get(), media[0].Child(), SHGDN_NORMAL), "アルバム");
    EXPECT_EQ(DisplayName(category.Get(), media[0].Child(), SHGDN_INFOLDER), "アルバム");
    EXPECT_EQ(DisplayName(category.Get(), media[0].Child(), SHGDN_INFOLDER | SHGDN_FORPARSING), "アルバム.vmf");
    EXPECT_EQ(DisplayName(root.Get(), path.Child(), SHGDN_INFOLDER | SHGDN_FORPARSING),
              "音楽\\アルバム.vmf\\ソース");
    const IdList& readme = Find(entries, "readme.txt");
    EXPECT_EQ(DisplayName(catalogue.Get(), readme.Child(), SHGDN_NORMAL), "readme.txt");
    std::string full = DisplayName(catalogue.Get(), readme.Child(), SHGDN_FORPARSING);
    std::string expected = "::{82B07BC4-AD2A-4D64-9D02-731A84AC7151}\\音楽\\アルバム.vmf\\readme.txt";
    // The shell writes the CLSID in its own letter case.
    EXPECT_EQ(lstrcmpiA(full.c_str(), expected.c_str()), 0) << full;
    std::string own = DisplayName(root.Get(), nullptr, SHGDN_FORPARSING);
    EXPECT_EQ(lstrcmpiA(own.c_str(), kFolderParsingName), 0) << own;

    // The full name parses back, through the desktop, to an equal list.
    IdList absolute(ILCombine(ParseFromDesktop("音楽\\アルバム.vmf").Get(), readme.Get()));
    HRESULT hr = E_FAIL;
    IdList parsed = ParseFromDesktop(full.substr(full.find('\\') + 1), &hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(Desktop()->CompareIDs(0, parsed.Get(), absolute.Get()), S_OK);
    EXPECT_EQ(Desktop()->CompareIDs(0, parsed.Get(), path.Get()) == S_OK, false);
}

TEST(NamespaceParsing, NamesOfNothingFailAndAttributesComeWithAParse) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    auto parse = [&](const wchar_t* name, ULONG* attributes) {
        std::wstring text(name);
        PIDLIST_RELATIVE list = nullptr;
        ULONG eaten = 0;
        HRESULT hr = root->ParseDisplayName(nullptr, nullptr, &text[0], &eaten, &list, attributes);
        IdList owned(list);
        if (SUCCEEDED(hr)) EXPECT_EQ(eaten, text.size());
        else EXPECT_EQ(list, nullptr);
        return hr;
    };
    EXPECT_EQ(parse(L"nowhere", nullptr), E_FAIL);
    EXPECT_EQ(parse(L"nowhere\\deeper", nullptr), E_FAIL);
    EXPECT_EQ(parse(L"nomagic.vmf", nullptr), E_FAIL);
    EXPECT_EQ(parse(L"c.txt", nullptr), E_FAIL);
    EXPECT_EQ(parse(L"disc.VMF\\CD3", nullptr), E_FAIL);
    EXPECT_EQ(parse(L"disc.VMF\\cd1", nullptr), E_FAIL);  // exact names inside a catalogue
    EXPECT_EQ(root->ParseDisplayName(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    ULONG attributes = SFGAO_FOLDER | SFGAO_CANRENAME | SFGAO_HASSUBFOLDER;
    EXPECT_EQ(parse(L"disc.VMF\\CD1", &attributes), S_OK);
    EXPECT_EQ(attributes, static_cast<ULONG>(SFGAO_FOLDER));
    attributes = SFGAO_CANRENAME | SFGAO_HASSUBFOLDER;
    EXPECT_EQ(parse(L"音楽\\", &attributes), S_OK);
    EXPECT_EQ(attributes, static_cast<ULONG>(SFGAO_CANRENAME | SFGAO_HASSUBFOLDER));
}

TEST(NamespaceDamage, BrokenCataloguesAreSkippedOrFailCleanly) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    // The header looks whole, so the catalogue is listed; browsing it fails.
    ComPtr<IShellFolder> broken;
    ASSERT_EQ(root->BindToObject(Find(items, "broken.vmf").Get(), nullptr, IID_IShellFolder, broken.PutVoid()),
              S_OK);
    ComPtr<IEnumIDList> enumerator;
    EXPECT_EQ(broken->EnumObjects(nullptr, kAll, enumerator.Put()), E_FAIL);
    EXPECT_FALSE(enumerator);
    std::wstring name = L"CD1";
    PIDLIST_RELATIVE list = nullptr;
    EXPECT_EQ(broken->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr), E_FAIL);
    // The truncated one is not listed, and a folder that vanished fails too.
    Names names = NamesOf(items);
    EXPECT_EQ(std::count(names.begin(), names.end(), "damaged.vmf"), 0);
    ComPtr<IShellFolder> gone = OpenFolder("書類");
    ASSERT_TRUE(gone);
    ASSERT_TRUE(DeleteFileA((data.Path("書類") + "\\category.ini").c_str()));
    ASSERT_TRUE(RemoveDirectoryA(data.Path("書類").c_str()));
    EXPECT_EQ(gone->EnumObjects(nullptr, kAll, enumerator.Put()), E_FAIL);
}

TEST(NamespaceTopFolder, RootedOnACatalogueFileBrowsesIt) {
    DataFolder data;
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(CoCreateInstance(kClsidFolder, nullptr, CLSCTX_INPROC_SERVER, IID_IShellFolder, folder.PutVoid()),
              S_OK);
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(folder->QueryInterface(IID_IPersistFolder, persist.PutVoid()), S_OK);
    std::string file = data.Path("disc.VMF");
    IdList fileList(ILCreateFromPathA(file.c_str()));
    ASSERT_TRUE(fileList);
    ASSERT_EQ(persist->Initialize(fileList.Get()), S_OK);
    auto* top = static_cast<CatalogFolder*>(folder.Get());
    EXPECT_TRUE(top->IsCatalogueLevel());
    char text[520];
    EXPECT_GT(top->CataloguePath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), "ディスク");
    EXPECT_EQ(NamesOf(Enumerate(folder.Get(), kAll)), (Names{"CD1", "CD2", "ソース", "readme.txt"}));
    // Names inside the catalogue parse as its entries.
    std::wstring name = L"CD1";
    PIDLIST_RELATIVE list = nullptr;
    ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr), S_OK);
    IdList parsed(list);
    EXPECT_EQ(Ids::Kind(parsed.Id()), kKindEntry);

    // Below its root, a directory of the catalogue lists its own entries.
    ComPtr<IShellFolder> directory;
    ASSERT_EQ(folder->BindToObject(parsed.Get(), nullptr, IID_IShellFolder, directory.PutVoid()), S_OK);
    EXPECT_EQ(NamesOf(Enumerate(directory.Get(), kAll)), (Names{"01.mp3", "02.mp3"}));
    auto* inner = static_cast<CatalogFolder*>(directory.Get());
    EXPECT_TRUE(inner->IsCatalogueLevel());
    EXPECT_GT(inner->CataloguePath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), "ディスク\\CD1");
    EXPECT_GT(inner->FileSystemPath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), file);
}

TEST(NamespaceTopFolder, ADataFolderNamedLikeACatalogueIsStillAFolder) {
    DataFolder data;
    std::string folder = data.Tree().MakeDir("store.vmf");
    ASSERT_TRUE(CopyFileA(data.Path("disc.VMF").c_str(), (folder + "\\inner.vmf").c_str(), TRUE));
    data.Tree().MakeDir("store.vmf\\棚");
    ProcessObjects::Settings().SetDataRoot(folder.c_str());
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    auto* top = static_cast<CatalogFolder*>(root.Get());
    EXPECT_TRUE(top->IsFileSystemLevel());
    EXPECT_FALSE(top->IsCatalogueLevel());
    EXPECT_EQ(Sorted(NamesOf(Enumerate(root.Get()))), Sorted({"棚", "inner.vmf"}));
    ComPtr<IShellFolder> catalogue = OpenFolder("inner.vmf\\CD1");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), kAll)), (Names{"01.mp3", "02.mp3"}));
}

TEST(NamespaceNames, AFullParsingNameThatDoesNotFitFailsInsteadOfNamingAnotherItem) {
    DataFolder data;
    ComPtr<IShellFolder> catalogue = OpenFolder("disc.VMF");
    ASSERT_TRUE(catalogue);
    // Three directories of 200 characters: more than any name buffer holds.
    std::uint8_t record[kEntryFixedSize + 201] = {};
    Store16(record, static_cast<std::uint16_t>(sizeof record));
    Store32(record + EntryRecord::kAttributes, FILE_ATTRIBUTE_DIRECTORY);
    std::memset(record + EntryRecord::kName, 'd', 200);
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    IdList one(ids.MakeEntry(record));
    IdList two(ILCombine(one.Get(), one.Get()));
    IdList three(ILCombine(two.Get(), one.Get()));
    STRRET name = {};
    EXPECT_EQ(catalogue->GetDisplayNameOf(two.Child(), SHGDN_FORPARSING | SHGDN_INFOLDER, &name), S_OK);
    if (name.uType == STRRET_WSTR) CoTaskMemFree(name.pOleStr);
    for (SHGDNF flags : {SHGDNF(SHGDN_FORPARSING), SHGDNF(SHGDN_FORPARSING | SHGDN_INFOLDER)}) {
        name = {};
        EXPECT_TRUE(FAILED(catalogue->GetDisplayNameOf(three.Child(), flags, &name))) << flags;
        if (name.uType == STRRET_WSTR && name.pOleStr != nullptr) CoTaskMemFree(name.pOleStr);
    }
}

TEST(NamespaceTopFolder, ADataFolderSettingWithATrailingBackslashWorksAlike) {
    DataFolder data;
    ProcessObjects::Settings().SetDataRoot((data.Path() + "\\").c_str());
    ComPtr<IShellFolder> catalogue = OpenFolder("音楽\\アルバム.vmf\\CD1");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(NamesOf(Enumerate(catalogue.Get(), kAll)), (Names{"01.mp3", "02.mp3"}));
    char text[MAX_PATH];
    ASSERT_GT(static_cast<CatalogFolder*>(catalogue.Get())->FileSystemPath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), data.Path("音楽\\アルバム.vmf"));
}

TEST(NamespaceTopFolder, WithoutADataFolderSettingUsesTheApplicationDataFolder) {
    ProcessObjects::Settings().SetDataRoot("");
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
    std::string expected = std::string(appData) + "\\Cataloom";
    char text[MAX_PATH];
    ASSERT_GT(static_cast<CatalogFolder*>(root.Get())->FileSystemPath(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), expected);
    EXPECT_NE(GetFileAttributesA(expected.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace cataloom::test

namespace cataloom::test {
namespace {

std::string Narrow(const wchar_t* text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

// The shell's item wrapper, the names it gives and the children it lists:
// what the tree of the shell's browser builds on.
TEST(NamespaceShellItems, TheShellWrapsOurItemsNamesThemAndListsTheirChildren) {
    DataFolder data;
    struct Case {
        const char* rest;
        const char* name;
        Names children;
    };
    const Case cases[] = {
        {"", "Cataloom", {"音楽", "書類", "隠し", "disc.VMF", "a.b.vmf", "broken.vmf"}},
        {"音楽", "音楽", {"アルバム.vmf"}},
        {"音楽\\アルバム.vmf", "アルバム", {"CD1", "CD2", "ソース", "readme.txt"}},
        {"音楽\\アルバム.vmf\\ソース", "ソース", {"表.txt"}},
    };
    for (const Case& c : cases) {
        IdList list = ParseFromDesktop(c.rest);
        ASSERT_TRUE(list) << c.rest;
        ComPtr<IShellItem> item;
        ASSERT_EQ(SHCreateItemFromIDList(list.Get(), IID_IShellItem, item.PutVoid()), S_OK) << c.rest;
        wchar_t* name = nullptr;
        ASSERT_EQ(item->GetDisplayName(SIGDN_NORMALDISPLAY, &name), S_OK) << c.rest;
        EXPECT_EQ(Narrow(name), c.name);
        CoTaskMemFree(name);
        name = nullptr;
        ASSERT_EQ(SHGetNameFromIDList(list.Get(), SIGDN_NORMALDISPLAY, &name), S_OK) << c.rest;
        EXPECT_EQ(Narrow(name), c.name);
        CoTaskMemFree(name);
        ComPtr<IShellItem> wrapped;
        EXPECT_EQ(SHCreateShellItem(nullptr, nullptr, reinterpret_cast<PCUITEMID_CHILD>(list.Get()), wrapped.Put()),
                  S_OK)
            << c.rest;

        // The folder gives back the list it was opened with.
        ComPtr<IShellFolder> folder = BindFromDesktop(list);
        ASSERT_TRUE(folder);
        ComPtr<IPersistFolder2> persist;
        ASSERT_EQ(folder->QueryInterface(IID_IPersistFolder2, persist.PutVoid()), S_OK);
        PIDLIST_ABSOLUTE current = nullptr;
        ASSERT_EQ(persist->GetCurFolder(&current), S_OK);
        IdList owned(current);
        ASSERT_EQ(ILGetSize(current), ILGetSize(list.Get())) << c.rest;
        EXPECT_EQ(std::memcmp(current, list.Get(), ILGetSize(current)), 0) << c.rest;

        // The children, as the tree asks for them: the item's folder.
        ComPtr<IShellFolder> itemFolder;
        ASSERT_EQ(item->BindToHandler(nullptr, BHID_SFObject, IID_IShellFolder, itemFolder.PutVoid()), S_OK);
        Names listed = NamesOf(Enumerate(itemFolder.Get()));
        EXPECT_EQ(Sorted(listed), Sorted(c.children)) << c.rest;
    }
}

TEST(NamespaceShellItems, WideIconsAreTheSameIcons) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> top = Enumerate(root.Get());
    auto locate = [&](IShellFolder* folder, const IdList& item, UINT flags, std::string* file) {
        ComPtr<IExtractIconW> wide;
        PCUITEMID_CHILD child = item.Child();
        EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconW, nullptr, wide.PutVoid()), S_OK);
        ComPtr<IExtractIconA> ansi;
        EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconA, nullptr, ansi.PutVoid()), S_OK);
        if (!wide || !ansi) return std::make_pair(-1, -2);
        wchar_t wideFile[MAX_PATH] = {};
        char ansiFile[MAX_PATH] = {};
        int wideIndex = -1;
        int ansiIndex = -2;
        UINT wideFlags = 0;
        UINT ansiFlags = 0;
        EXPECT_EQ(wide->GetIconLocation(flags, wideFile, MAX_PATH, &wideIndex, &wideFlags), S_OK);
        EXPECT_EQ(ansi->GetIconLocation(flags, ansiFile, MAX_PATH, &ansiIndex, &ansiFlags), S_OK);
        EXPECT_EQ(Narrow(wideFile), std::string(ansiFile));
        EXPECT_EQ(wideFlags, ansiFlags);
        *file = ansiFile;
        return std::make_pair(wideIndex, ansiIndex);
    };
    std::string file;
    auto plain = locate(root.Get(), Find(top, "隠し"), GIL_OPENICON, &file);
    EXPECT_EQ(plain.first, ProcessObjects::Icons().CategoryIcon(true));
    EXPECT_EQ(plain.first, plain.second);
    auto chosen = locate(root.Get(), Find(top, "音楽"), 0, &file);
    EXPECT_EQ(file, "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(chosen.first, 3);
    EXPECT_EQ(chosen.first, chosen.second);
    auto disc = locate(root.Get(), Find(top, "disc.VMF"), 0, &file);
    EXPECT_EQ(disc.first, disc.second);
    EXPECT_EQ(disc.first, ProcessObjects::Icons().MediaIcon(ItemIdFactory::MediaDriveType(Find(top, "disc.VMF").Id())));

    // No room for the icon file's name: a list index, never a cut name.
    ComPtr<IExtractIconW> wide;
    PCUITEMID_CHILD child = Find(top, "音楽").Child();
    ASSERT_EQ(root->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconW, nullptr, wide.PutVoid()), S_OK);
    wchar_t tiny[4] = {L'x', L'x', L'x', L'x'};
    int index = -1;
    UINT flags = 0;
    ASSERT_EQ(wide->GetIconLocation(0, tiny, 4, &index, &flags), S_OK);
    EXPECT_EQ(tiny[0], L'\0');
    EXPECT_EQ(flags, static_cast<UINT>(GIL_NOTFILENAME));
    EXPECT_GE(index, 0);
    HICON large = nullptr;
    HICON small = nullptr;
    EXPECT_EQ(wide->Extract(L"", static_cast<UINT>(index), &large, &small, 0), S_OK);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    if (large != nullptr) DestroyIcon(large);
    if (small != nullptr) DestroyIcon(small);
}

}  // namespace
}  // namespace cataloom::test

namespace cataloom::test {
namespace {

// The texts of a tree view's items below `parent`, expanding it first.
Names TreeTexts(HWND tree, HTREEITEM parent) {
    Names texts;
    TreeView_Expand(tree, parent, TVE_EXPAND);
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item != nullptr; item = TreeView_GetNextSibling(tree, item))
        texts.push_back(TreeText(tree, item));
    return texts;
}

// The shell's namespace tree control, as the shell's browser shows its tree
// pane: our root expands into the categories and catalogues.
TEST(NamespaceShellItems, TheShellsTreeControlExpandsTheNamespace) {
    DataFolder data;
    HWND host = CreateWindowExA(0, "STATIC", "tree host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    ComPtr<INameSpaceTreeControl> control;
    HRESULT hr = CoCreateInstance(CLSID_NamespaceTreeControl, nullptr, CLSCTX_INPROC_SERVER, IID_INameSpaceTreeControl,
                                  control.PutVoid());
    ASSERT_EQ(hr, S_OK);
    RECT area = {0, 0, 400, 400};
    ASSERT_EQ(control->Initialize(host, &area, NSTCS_HASEXPANDOS | NSTCS_HASLINES), S_OK);
    IdList root = ParseFromDesktop("");
    ComPtr<IShellItem> rootItem;
    ASSERT_EQ(SHCreateItemFromIDList(root.Get(), IID_IShellItem, rootItem.PutVoid()), S_OK);
    ASSERT_EQ(control->AppendRoot(rootItem.Get(), SHCONTF_FOLDERS, NSTCRS_EXPANDED, nullptr), S_OK);

    HWND tree = FindWindowExA(host, nullptr, WC_TREEVIEWA, nullptr);
    if (tree == nullptr) tree = FindWindowExA(FindWindowExA(host, nullptr, nullptr, nullptr), nullptr, WC_TREEVIEWA, nullptr);
    ASSERT_NE(tree, nullptr);
    HTREEITEM top = TreeView_GetRoot(tree);
    ASSERT_NE(top, nullptr);
    Names categories = TreeTexts(tree, top);
    // Catalogues show their own names (a.b.vmf is a copy of disc.VMF).
    EXPECT_EQ(Sorted(categories), Sorted({"音楽", "書類", "隠し", "ディスク", "ディスク", "壊れた"}));
    // A category expands into its catalogues, a catalogue into its directories.
    for (HTREEITEM item = TreeView_GetChild(tree, top); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        std::string text = TreeText(tree, item);
        if (text == "音楽") {
            EXPECT_EQ(TreeTexts(tree, item), Names{"アルバム"});
        } else if (text == "ディスク") {
            EXPECT_EQ(TreeTexts(tree, item), (Names{"CD1", "CD2", "ソース"}));
        }
    }
    control->RemoveAllRoots();
    control.Reset();
    DestroyWindow(host);
}

}  // namespace
}  // namespace cataloom::test
