// The category page in a real sheet under Xvfb: the icon with and without
// category.ini, a change through the real change-icon dialog, and applies
// that write category.ini only for a chosen icon.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "core/PathUtil.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"

namespace cataloom::test {
namespace {

using Calls = std::vector<std::string>;
constexpr int kIcon = 1101;
constexpr int kName = 1102;
constexpr int kChange = 1103;

std::string Shell32() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, sizeof path);
    return std::string(path) + "\\shell32.dll";
}

std::vector<BYTE> FileIcon(const std::string& file, int index) {
    HICON icon = nullptr;
    ExtractIconExA(file.c_str(), index, &icon, nullptr, 1);
    std::vector<BYTE> pixels = IconPixels(icon);
    if (icon != nullptr) DestroyIcon(icon);
    return pixels;
}

std::string IconValue(const std::string& ini) {
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Cataloom", "Icon", "<none>", value, sizeof value, ini.c_str());
    return value;
}

class CategoryPageTest : public ::testing::Test {
protected:
    void Show(const std::string& name) {
        root = OpenFolder("");
        ASSERT_TRUE(root);
        items = Enumerate(root.Get());
        ComPtr<IShellPropSheetExt> sheet = ItemSheet(root.Get(), {&Find(items, name)});
        ASSERT_TRUE(sheet);
        ShowOnlyPage(sheet.Get(), host, page);
    }
    std::vector<BYTE> ShownIcon() {
        return IconPixels(reinterpret_cast<HICON>(SendDlgItemMessageA(page, kIcon, STM_GETICON, 0, 0)));
    }
    // Presses "アイコンの変更(&C)..." and picks icon `index` of shell32.dll
    // (OK), or cancels; the file the dialog started on.
    std::string ChooseIcon(int index, bool ok) {
        std::string started;
        DialogAction act("アイコンの変更", [&](HWND dialog) {
            started = ControlText(dialog, 1000);
            SendDlgItemMessageA(dialog, 1002, LB_SETCURSEL, index, 0);
            PressDialogButton(dialog, ok ? IDOK : IDCANCEL);
        });
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kChange, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, kChange)));
        EXPECT_TRUE(act.Done());
        return started;
    }

    DataFolder data;
    ComPtr<IShellFolder> root;
    std::vector<IdList> items;
    std::unique_ptr<SheetHost> host;
    HWND page = nullptr;
};

TEST_F(CategoryPageTest, ShowsTheChosenIconFromCategoryIni) {
    Show("音楽");
    EXPECT_EQ(host->TabTitle(0), "カテゴリ情報");
    EXPECT_EQ(ControlText(page, kName), "音楽");
    EXPECT_NE(GetWindowLongA(GetDlgItem(page, kName), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(ShownIcon(), FileIcon("C:\\windows\\system32\\shell32.dll", 3));
    EXPECT_NE(ShownIcon(), FileIcon("C:\\windows\\system32\\shell32.dll", 4));
    SaveWindowPicture(host->Window(), "category-page");
}

TEST_F(CategoryPageTest, WithoutCategoryIniTheFolderIconShowsAndOkWritesNothing) {
    data.Tree().MakeDir("無印");
    Show("無印");
    HICON folder = ProcessObjects::Icons().LargeIcon(ProcessObjects::Icons().CategoryIcon(false));
    EXPECT_EQ(ShownIcon(), IconPixels(folder));
    DestroyIcon(folder);
    EXPECT_FALSE(ShownIcon().empty());
    // Cancelled in the dialog, then OK: no icon was chosen.
    EXPECT_EQ(ChooseIcon(5, false), Shell32());
    host->PressOk();
    EXPECT_EQ(host->Page(), nullptr);
    EXPECT_FALSE(path::Exists(data.Path("無印\\category.ini").c_str()));
}

TEST_F(CategoryPageTest, AnIconChosenInTheDialogIsShownWrittenOnApplyAndAnnounced) {
    data.Tree().MakeDir("無印");
    IdList rootList = ParseFromDesktop("");
    RecordingView view(rootList.Get());
    Show("無印");
    ChooseIcon(5, true);
    EXPECT_EQ(ShownIcon(), FileIcon(Shell32(), 5));
    // Nothing is written before the apply.
    EXPECT_FALSE(path::Exists(data.Path("無印\\category.ini").c_str()));
    EXPECT_TRUE(host->Apply());
    EXPECT_EQ(IconValue(data.Path("無印\\category.ini")), Shell32() + ",5");
    EXPECT_EQ(view.calls, Calls{"Update 無印"});

    // The dialog starts on the chosen file; a second choice replaces it.
    EXPECT_EQ(ChooseIcon(8, true), Shell32());
    host->PressOk();
    EXPECT_EQ(IconValue(data.Path("無印\\category.ini")), Shell32() + ",8");
    EXPECT_EQ(view.calls, (Calls{"Update 無印", "Update 無印"}));
}

TEST_F(CategoryPageTest, OkWithoutAChangeLeavesCategoryIniAsItWas) {
    const std::string ini = data.Path("音楽\\category.ini");
    const std::string before = ReadWholeFile(ini);
    Show("音楽");
    host->PressOk();
    EXPECT_EQ(ReadWholeFile(ini), before);
    EXPECT_EQ(IconValue(ini), DataFolder::IconLocation());
}

}  // namespace
}  // namespace cataloom::test
