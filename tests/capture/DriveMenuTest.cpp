// The drive and directory context menu as the shell uses it: made through
// the capture menu CLSID's class factory, initialised with the desktop
// folder's own data object, its items, and its create and update commands
// running the real dialogs.  One fixture reaches the built library, the
// others this program's copy, whose view list the tests watch.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/CaptureTexts.h"
#include "core/CatalogReader.h"
#include "settings/ClassIds.h"
#include "resources/CataloomResource.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/core/CaptureRun.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;

// A popup menu with two items of the shell's own.
class ShellMenu {
public:
    ShellMenu() : menu_(CreatePopupMenu()) {
        AppendMenuA(menu_, MF_STRING, 1, "開く");
        AppendMenuA(menu_, MF_STRING, 2, "プロパティ");
    }
    ~ShellMenu() { DestroyMenu(menu_); }
    HMENU Get() const { return menu_; }

private:
    HMENU menu_;
};

// The menu served by the built library, as the shell loads it.
class LibraryDriveMenuTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        RevokeCaptureMenuClass();
    }
    void TearDown() override {
        RegisterCaptureMenuClass();
        CaptureTest::TearDown();
    }
    static HRESULT LibraryCanUnloadNow() {
        auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("Cataloom.dll"), "DllCanUnloadNow")));
        return canUnload != nullptr ? canUnload() : E_FAIL;
    }
};

TEST_F(LibraryDriveMenuTest, DirectoriesGetCreateAndRootsAlsoUpdate) {
    ComPtr<IContextMenu> directory = CaptureMenuFor(source.Root());
    ASSERT_TRUE(directory);
    ShellMenu first;
    EXPECT_EQ(directory->QueryContextMenu(first.Get(), 1, 100, 200, CMF_NORMAL), MAKE_HRESULT(0, 0, 1));
    EXPECT_EQ(MenuEntries(first.Get(), true), (Names{"1 開く", "100 vmf を作成...", "2 プロパティ"}));

    ComPtr<IContextMenu> root = CaptureMenuFor("C:\\");
    ASSERT_TRUE(root);
    ShellMenu second;
    EXPECT_EQ(root->QueryContextMenu(second.Get(), 0, 7, 200, CMF_EXPLORE), MAKE_HRESULT(0, 0, 2));
    EXPECT_EQ(MenuEntries(second.Get(), true), (Names{"7 vmf を作成...", "8 vmf を更新...", "1 開く", "2 プロパティ"}));

    // Asked for the default verb or for verbs only, the menu adds nothing.
    for (UINT flags : {UINT(CMF_DEFAULTONLY), UINT(CMF_VERBSONLY), UINT(CMF_DEFAULTONLY | CMF_EXPLORE)}) {
        ShellMenu menu;
        EXPECT_EQ(root->QueryContextMenu(menu.Get(), 0, 7, 200, flags), MAKE_HRESULT(0, 0, 0)) << flags;
        EXPECT_EQ(MenuEntries(menu.Get(), true), (Names{"1 開く", "2 プロパティ"}));
    }
    // The ids stay inside the range the shell gives.
    ShellMenu narrow;
    EXPECT_EQ(root->QueryContextMenu(narrow.Get(), 2, 50, 50, CMF_NORMAL), MAKE_HRESULT(0, 0, 1));
    EXPECT_EQ(MenuEntries(narrow.Get(), true), (Names{"1 開く", "2 プロパティ", "50 vmf を作成..."}));
    ShellMenu none;
    EXPECT_EQ(root->QueryContextMenu(none.Get(), 0, 51, 50, CMF_NORMAL), MAKE_HRESULT(0, 0, 0));
    EXPECT_EQ(GetMenuItemCount(none.Get()), 2);
    EXPECT_EQ(root->QueryContextMenu(nullptr, 0, 7, 200, CMF_NORMAL), E_INVALIDARG);
}

TEST_F(LibraryDriveMenuTest, InterfacesVerbsAndTheLibrarysObjectCount) {
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(CoCreateInstance(kClsidCaptureMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.PutVoid()),
              S_OK);
    EXPECT_EQ(LibraryCanUnloadNow(), S_FALSE);  // the menu counts as a live object
    // Without a selection (no data object) the menu still initialises.
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(menu->QueryInterface(IID_IUnknown, unknown.PutVoid()), S_OK);
    ComPtr<IContextMenu2> second;
    EXPECT_EQ(menu->QueryInterface(IID_IContextMenu2, second.PutVoid()), E_NOINTERFACE);
    ShellMenu items;
    EXPECT_EQ(menu->QueryContextMenu(items.Get(), 0, 10, 20, CMF_NORMAL), MAKE_HRESULT(0, 0, 1));

    char text[64] = "unchanged";
    for (UINT type : {UINT(GCS_VERBA), UINT(GCS_HELPTEXTA), UINT(GCS_VALIDATEA), UINT(GCS_VERBW)})
        EXPECT_EQ(menu->GetCommandString(0, type, nullptr, text, sizeof text), E_NOTIMPL) << type;
    EXPECT_STREQ(text, "unchanged");

    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "create";
    EXPECT_EQ(menu->InvokeCommand(&info), E_NOTIMPL);
    EXPECT_EQ(InvokeVerb(menu.Get(), 2), E_INVALIDARG);
    info.lpVerb = MAKEINTRESOURCEA(0);
    info.cbSize = sizeof info - 1;
    EXPECT_EQ(menu->InvokeCommand(&info), E_INVALIDARG);
    EXPECT_EQ(menu->InvokeCommand(nullptr), E_INVALIDARG);

    unknown.Reset();
    menu.Reset();
    init.Reset();
    EXPECT_EQ(LibraryCanUnloadNow(), S_OK);
}

TEST_F(LibraryDriveMenuTest, CreateCapturesIntoTheDataFolder) {
    ComPtr<IContextMenu> menu = CaptureMenuFor(source.Root());
    ASSERT_TRUE(menu);
    WindowScript script([] { NameAndCapture("ライブラリ"); });
    EXPECT_EQ(InvokeVerb(menu.Get(), 0), S_OK);
    script.Finish();
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(DataPath("ライブラリ.vmf").c_str(), &header));
    EXPECT_STREQ(header.name, "ライブラリ");
    EXPECT_EQ(header.fileCount, 2u);
}

using DriveMenuTest = ViewedCaptureTest;

TEST_F(DriveMenuTest, CreateAnnouncesTheNewCatalogueToTheViewsOfTheDataFolder) {
    ComPtr<IContextMenu> menu = CaptureMenuFor(source.Root());
    ASSERT_TRUE(menu);
    WindowScript script([] { NameAndCapture("新しいディスク"); });
    EXPECT_EQ(InvokeVerb(menu.Get(), 0), S_OK);
    script.Finish();
    EXPECT_EQ(rootView->calls, Names{"Add 新しいディスク.vmf"});
    EXPECT_TRUE(categoryView->calls.empty());
    // The namespace lists it.
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    Names listed = NamesOf(Enumerate(root.Get()));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (Names{"音楽", "新しいディスク.vmf"}));  // byte order
}

TEST_F(DriveMenuTest, UpdateCapturesAgainIntoTheCatalogueOfTheVolumeUnderItsOldName) {
    // A catalogue of the same drive in a category, made from another folder
    // under a name of its own: the volume's label as it was.
    TempTree elsewhere;
    elsewhere.MakeFile("old.txt", 5);
    Capture(elsewhere.Root(), DataPath("音楽\\disc.vmf"), "古いラベル");
    WindowScript script([] {
        HWND progress = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
        EXPECT_TRUE(WaitUntilClosed(progress));  // close-on-finish is always set
    });
    EXPECT_EQ(InvokeVerb(CaptureMenuFor(source.Root()).Get(), 1), S_OK);
    script.Finish();

    const std::string file = DataPath("音楽\\disc.vmf");
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(file.c_str(), &header));
    EXPECT_STREQ(header.name, "古いラベル");
    EXPECT_EQ(header.fileCount, 2u);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    EXPECT_EQ(EntryNames(reader, "古いラベル\\sub"), Names{"b.txt"});
    EXPECT_EQ(FolderEntries(DataPath("音楽")), Names{"disc.vmf"});
    EXPECT_EQ(categoryView->calls, Names{"Update disc.vmf"});
    EXPECT_TRUE(rootView->calls.empty());
}

TEST_F(DriveMenuTest, UpdateWithoutACatalogueOrAVolumeIsReported) {
    std::string message;
    WindowScript nothing([&] { message = AnswerMessage(IDOK); });
    EXPECT_EQ(InvokeVerb(CaptureMenuFor(source.Root()).Get(), 1), E_INVALIDARG);
    nothing.Finish();
    EXPECT_EQ(message, "更新対象のvmfが見つかりません。");

    // No selection: no volume to read.
    WindowScript noVolume([&] { message = AnswerMessage(IDOK); });
    EXPECT_EQ(InvokeVerb(CaptureMenuFor("").Get(), 1), E_INVALIDARG);
    noVolume.Finish();
    EXPECT_EQ(message, "メディアの情報を取得できませんでした。");
    EXPECT_TRUE(rootView->calls.empty());
}

}  // namespace
}  // namespace cataloom::test
