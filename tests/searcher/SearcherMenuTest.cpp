// The search menu as the shell gets it from the built library's class
// factory: its one item, the flags that leave it out, and its commands.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/searcher/SearcherTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

class SearcherMenuTest : public DllBackedNamespace {
protected:
    ComPtr<IContextMenu> Menu() {
        HMODULE library = GetModuleHandleA("Cataloom.dll");
        EXPECT_NE(library, nullptr);
        auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        ComPtr<IContextMenu> menu;
        EXPECT_EQ(getClassObject(kClsidSearchMenu, IID_IClassFactory, factory.PutVoid()), S_OK);
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, menu.PutVoid()), S_OK);
        }
        return menu;
    }
};

std::string ItemText(HMENU menu, int position) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

HRESULT Invoke(IContextMenu* menu, UINT_PTR verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = reinterpret_cast<LPCSTR>(verb);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

TEST_F(SearcherMenuTest, AddsOneSearchItemExceptForDefaultOrVerbQueries) {
    ComPtr<IContextMenu> menu = Menu();
    ASSERT_TRUE(menu);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "first");
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, 40, 50, CMF_DEFAULTONLY), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, 40, 50, CMF_VERBSONLY), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
    EXPECT_EQ(GetMenuItemCount(popup), 1);
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, 40, 50, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1));
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(ItemText(popup, 0), "検索(&F)...");
    EXPECT_EQ(GetMenuItemID(popup, 0), 40u);
    EXPECT_EQ(ItemText(popup, 1), "first");
    DestroyMenu(popup);

    char name[64] = {};
    EXPECT_EQ(menu->GetCommandString(0, GCS_VERBA, nullptr, name, sizeof name), E_NOTIMPL);
    CMINVOKECOMMANDINFO named = {};
    named.cbSize = sizeof named;
    named.lpVerb = "find";
    EXPECT_EQ(menu->InvokeCommand(&named), E_NOTIMPL);
    named.cbSize = sizeof named - 8;  // a 32-bit caller's size is refused
    named.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(menu->InvokeCommand(&named), E_INVALIDARG);
}

TEST_F(SearcherMenuTest, CommandZeroOpensTheWindowOnTheWholeNamespace) {
    SearchData data;
    ComPtr<IContextMenu> menu = Menu();
    ASSERT_TRUE(menu);
    // Another offset opens nothing.
    DialogAction none(kSearcherCaption, [](HWND dialog) { PressDialogButton(dialog, IDCANCEL); }, 1500);
    EXPECT_EQ(Invoke(menu.Get(), 1), S_OK);
    EXPECT_FALSE(none.Dismiss());

    std::string location;
    std::size_t found = 0;
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        location = WindowText(GetDlgItem(dialog, kLocationBox));
        found = SearchFor(dialog, "").size();
        PressDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Invoke(menu.Get(), 0), S_OK);
    EXPECT_TRUE(action.Done());
    EXPECT_FALSE(location.empty());
    EXPECT_EQ(found, 13u);
}

// The search command of the item menu that the library's folder hands out
// opens this window, searching below the item.
TEST_F(SearcherMenuTest, TheItemMenusSearchOpensTheWindowAtTheItem) {
    SearchData data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> items = Enumerate(root.Get());
    PCUITEMID_CHILD category = reinterpret_cast<PCUITEMID_CHILD>(Find(items, "ソフト").Get());
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(root->GetUIObjectOf(nullptr, 1, &category, IID_IContextMenu, nullptr, menu.PutVoid()), S_OK);
    HMENU popup = CreatePopupMenu();
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL)));
    DestroyMenu(popup);

    std::string location;
    std::vector<std::string> names;
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        location = WindowText(GetDlgItem(dialog, kLocationBox));
        names = Names(SearchFor(dialog, "a"));
        PressDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Invoke(menu.Get(), 17), S_OK);  // 検索(&F)...
    EXPECT_TRUE(action.Done());
    EXPECT_EQ(location, "Cataloom\\ソフト");
    // Only what lies below the category; top.vmf's abc.log is elsewhere.
    EXPECT_EQ(names, (std::vector<std::string>{"Abc.txt", "a", "readme.txt", "xABCy.txt", "zero.dat"}));
}

}  // namespace
}  // namespace cataloom::test
