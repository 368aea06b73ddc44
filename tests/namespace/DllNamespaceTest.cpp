// The namespace served by the built Cataloom.dll, loaded by the shell from
// its registration, as Explorer gets it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "core/ItemIdFactory.h"
#include "namespace/ObjectCount.h"
#include "tests/namespace/ShellTestSupport.h"

namespace cataloom::test {
namespace {

using Ids = ItemIdFactory;
using Names = std::vector<std::string>;

TEST_F(DllBackedNamespace, BrowsesThreeLevelsDownWithNamesAndIcons) {
    DataFolder data;
    LONG before = ObjectCount().Get();
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    EXPECT_EQ(ObjectCount().Get(), before);  // not this program's folder
    EXPECT_EQ(NamesOf(Enumerate(root.Get())).size(), 6u);

    ComPtr<IShellFolder> directory = OpenFolder("音楽\\アルバム.vmf\\CD1");
    ASSERT_TRUE(directory);
    std::vector<IdList> songs = Enumerate(directory.Get());
    ASSERT_EQ(NamesOf(songs), (Names{"01.mp3", "02.mp3"}));
    std::string full = DisplayName(directory.Get(), songs[1].Child(), SHGDN_FORPARSING);
    EXPECT_EQ(full.substr(full.find('\\')), "\\音楽\\アルバム.vmf\\CD1\\02.mp3");

    // The catalogue's icon is the library's own fixed-drive icon: added
    // after the system's folder icons, and neither of them.
    ComPtr<IShellFolder> rootAgain = OpenFolder("");
    std::vector<IdList> top = Enumerate(rootAgain.Get());
    PCUITEMID_CHILD disc = Find(top, "disc.VMF").Child();
    ComPtr<IExtractIconA> extractor;
    ASSERT_EQ(rootAgain->GetUIObjectOf(nullptr, 1, &disc, IID_IExtractIconA, nullptr, extractor.PutVoid()), S_OK);
    int drive = -1;
    int folder = -1;
    UINT flags = 0;
    ASSERT_EQ(extractor->GetIconLocation(GIL_FORSHELL, nullptr, 0, &drive, &flags), S_OK);
    PCUITEMID_CHILD hidden = Find(top, "隠し").Child();
    ASSERT_EQ(rootAgain->GetUIObjectOf(nullptr, 1, &hidden, IID_IExtractIconA, nullptr, extractor.PutVoid()), S_OK);
    ASSERT_EQ(extractor->GetIconLocation(GIL_FORSHELL, nullptr, 0, &folder, &flags), S_OK);
    EXPECT_GT(drive, folder);
}

TEST_F(DllBackedNamespace, DamagedCatalogueFailsCleanly) {
    DataFolder data;
    // Listed (the header looks whole) or not (the table lies beyond the
    // file's end): reached by name, neither can be browsed.
    for (const char* name : {"broken.vmf", "damaged.vmf"}) {
        ComPtr<IShellFolder> folder = OpenFolder(name);
        ASSERT_TRUE(folder) << name;
        ComPtr<IEnumIDList> enumerator;
        EXPECT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.Put()), E_FAIL);
        EXPECT_FALSE(enumerator);
    }
    HRESULT hr = S_OK;
    IdList missing = ParseFromDesktop("nomagic.vmf", &hr);
    EXPECT_TRUE(FAILED(hr));
}

}  // namespace
}  // namespace cataloom::test
