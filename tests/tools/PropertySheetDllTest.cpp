// The property page class as the shell reaches it: through the built
// library's class factory, with the library's own resources, and the
// library free to unload once the sheet is gone.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ObjectCount.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"

namespace cataloom::test {
namespace {

BOOL CALLBACK RefusePage(HPROPSHEETPAGE, LPARAM) { return FALSE; }

class PropertySheetDllTest : public ::testing::Test {
protected:
    ComPtr<IShellExtInit> NewExtension() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(library.GetClassObject(kClsidPropertyPage, IID_IClassFactory, factory.PutVoid()), S_OK);
        ComPtr<IShellExtInit> extension;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, extension.PutVoid()), S_OK);
        }
        return extension;
    }

    TempTree folder;
    ServerLibrary library{folder.Root(), "Cataloom.dll"};
};

TEST_F(PropertySheetDllTest, WithNoDataTheClassShowsTheOptionsPageAndTheLibraryUnloadsAfterTheSheet) {
    ComPtr<IShellExtInit> init = NewExtension();
    ASSERT_TRUE(init);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    ComPtr<IShellPropSheetExt> extension;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, extension.PutVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(extension.Get()));
    ComPtr<IShellFolder> none;
    EXPECT_EQ(init->QueryInterface(IID_IShellFolder, none.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(extension->ReplacePage(1, CollectPage, 0), S_OK);

    AddedPages added = CollectPages(extension.Get());
    EXPECT_EQ(added.result, S_OK);
    ASSERT_EQ(added.pages.size(), 1u);
    init.Reset();
    extension.Reset();
    identity.Reset();
    // The page keeps the extension, and so the library, alive.
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    {
        SheetHost sheet(added.pages);
        ASSERT_NE(sheet.Page(), nullptr);
        EXPECT_EQ(sheet.TabTitle(0), "Cataloom");
        EXPECT_EQ(ControlText(sheet.Page(), 1403), "参照");
        EXPECT_EQ(WindowText(GetDlgItem(sheet.Page(), 1807)),
                  "デスクトップのCataloomアイコンのデフォルト動作をrootにする");
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
        sheet.PressCancel();
    }
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

TEST_F(PropertySheetDllTest, TheFolderViewAddsTheOptionsPage) {
    DataFolder data;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(library.GetClassObject(kClsidFolder, IID_IClassFactory, factory.PutVoid()), S_OK);
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersistFolder, persist.PutVoid()), S_OK);
    IdList root = ParseFromDesktop("");
    ASSERT_EQ(persist->Initialize(root.Get()), S_OK);
    ComPtr<IShellFolder> shellFolder;
    ASSERT_EQ(persist->QueryInterface(IID_IShellFolder, shellFolder.PutVoid()), S_OK);
    ComPtr<IShellView> view;
    ASSERT_EQ(shellFolder->CreateViewObject(nullptr, IID_IShellView, view.PutVoid()), S_OK);
    EXPECT_EQ(view->AddPropertySheetPages(0, nullptr, 0), E_INVALIDARG);
    std::vector<HPROPSHEETPAGE> pages;
    ASSERT_EQ(view->AddPropertySheetPages(0, CollectPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
    ASSERT_EQ(pages.size(), 1u);
    factory.Reset();
    persist.Reset();
    shellFolder.Reset();
    view.Reset();
    {
        SheetHost sheet(pages);
        ASSERT_NE(sheet.Page(), nullptr);
        EXPECT_EQ(sheet.TabTitle(0), "Cataloom");
        EXPECT_EQ(ControlText(sheet.Page(), 1403), "参照");
        sheet.PressCancel();
    }
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

TEST_F(PropertySheetDllTest, APageTheSheetRefusesLeavesNothingAlive) {
    ComPtr<IShellExtInit> init = NewExtension();
    ASSERT_TRUE(init);
    ComPtr<IShellPropSheetExt> extension;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, extension.PutVoid()), S_OK);
    EXPECT_EQ(extension->AddPages(RefusePage, 0), E_FAIL);
    EXPECT_EQ(extension->AddPages(nullptr, 0), E_INVALIDARG);
    init.Reset();
    extension.Reset();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

// In this program: every kind of page holds its extension, and with it the
// folder, exactly as long as the sheet keeps the page.
TEST(PropertySheetLifetimeTest, EveryPageLetsGoOfItsExtensionAndFolderWithTheSheet) {
    DataFolder data;
    const LONG before = ObjectCount().Get();
    const struct {
        std::string folder;
        std::vector<std::string> items;
    } sheets[] = {
        {"", {}}, {"", {"音楽"}}, {"", {"disc.VMF"}}, {"disc.VMF", {"readme.txt", "CD1"}},
    };
    for (const auto& s : sheets) {
        AddedPages added;
        {
            ComPtr<IShellFolder> folder = OpenFolder(s.folder);
            ASSERT_TRUE(folder);
            std::vector<IdList> items = Enumerate(folder.Get());
            std::vector<const IdList*> chosen;
            for (const std::string& name : s.items) chosen.push_back(&Find(items, name));
            ComPtr<IShellPropSheetExt> extension = ItemSheet(folder.Get(), chosen);
            ASSERT_TRUE(extension);
            added = CollectPages(extension.Get());
        }
        ASSERT_EQ(added.pages.size(), 1u) << s.folder;
        EXPECT_GT(ObjectCount().Get(), before) << s.folder;
        {
            SheetHost sheet(added.pages);
            EXPECT_NE(sheet.Page(), nullptr);
            sheet.PressCancel();
        }
        EXPECT_EQ(ObjectCount().Get(), before) << s.folder;
    }
}

}  // namespace
}  // namespace cataloom::test
