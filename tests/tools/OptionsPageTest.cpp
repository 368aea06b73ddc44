// The options page in a real property sheet under Xvfb: what it shows, every
// way an apply is refused or taken, the folder picker and the colour dialog
// driven through their own windows.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "core/PathUtil.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"
#include "tools/PropertySheets.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

constexpr int kDataFolder = 1402;
constexpr int kBrowse = 1403;
constexpr int kBgColour = 1404;
constexpr int kTextColour = 1405;
constexpr int kRootVerb = 1807;
constexpr int kApplyButton = 0x3021;  // the sheet's own
constexpr char kVerbKey[] = "CLSID\\{82B07BC4-AD2A-4D64-9D02-731A84AC7151}\\shell";

constexpr char kRequired[] =
    "データ保存先は必須項目です。\nここで指定したディレクトリに作成されたメディア（ディスク）の情報が保存されます。";
constexpr char kMissing[] = "指定のディレクトリは存在しません。\nここで作成してもよろしいですか？";
constexpr char kNotCreated[] = "指定のディレクトリを作成できませんでした。\nディレクトリ名が正しいか確認してください。";
constexpr char kNotDirectory[] = "データ保存先にはディレクトリを指定してください。";
constexpr char kNotFull[] = "データ保存先はドライブ名から始まる完全なパスで指定してください。";
constexpr char kTooLong[] = "データ保存先のパスが長すぎます。";

SettingsStore& Settings() { return ProcessObjects::Settings(); }

std::string StoredDataRoot() {
    char path[MAX_PATH] = {};
    Settings().GetDataRoot(path, sizeof path);
    return path;
}

class OptionsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings().SetDataRoot(tree.Root().c_str());
        Settings().SetBgColor(RGB(1, 2, 3));
        Settings().SetTextColor(RGB(200, 100, 50));
        Settings().SetRootDefaultVerb(false);
    }
    void TearDown() override {
        Settings().SetDataRoot("");
        Settings().SetRootDefaultVerb(false);
    }

    // The options page, added as the folder view adds it, in a sheet.
    void Show() {
        std::vector<HPROPSHEETPAGE> pages;
        ASSERT_EQ(AddOptionsPage(CollectPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
        ASSERT_EQ(pages.size(), 1u);
        host = std::make_unique<SheetHost>(pages);
        page = host->Page();
        ASSERT_NE(page, nullptr);
    }
    // Types `folder` and presses Apply, answering the message boxes with
    // `buttons` in turn; the boxes' texts.
    std::vector<std::string> ApplyWith(const std::string& folder, std::vector<int> buttons, bool* applied) {
        SetDlgItemTextA(page, kDataFolder, folder.c_str());
        MessageAnswers answers(std::move(buttons));
        *applied = host->Apply();
        return answers.Finish();
    }

    TempTree tree;
    std::unique_ptr<SheetHost> host;
    HWND page = nullptr;
};

TEST_F(OptionsPageTest, ShowsTheStoredSettingsTheVersionAndTheColours) {
    Settings().SetDataRoot((tree.Root() + "\\").c_str());
    Settings().SetRootDefaultVerb(true);
    Show();
    EXPECT_EQ(host->TabTitle(0), "Cataloom");
    // The folder the namespace uses: the stored one without its backslash.
    EXPECT_EQ(ControlText(page, kDataFolder), tree.Root());
    EXPECT_EQ(SendDlgItemMessageA(page, kDataFolder, EM_GETLIMITTEXT, 0, 0), 259);
    EXPECT_EQ(CheckState(page, kRootVerb), BST_CHECKED);
    EXPECT_EQ(WindowText(ChildWithText(page, "Cataloom ver.")), "Cataloom ver.0.0.4");
    EXPECT_EQ(WindowText(ChildWithText(page, "Copyright")), "Copyright (C) 2026 Quillmoor");
    EXPECT_EQ(ClientPixel(GetDlgItem(page, kBgColour), 6, 6), RGB(1, 2, 3));
    EXPECT_EQ(ClientPixel(GetDlgItem(page, kTextColour), 6, 6), RGB(200, 100, 50));
    SaveWindowPicture(host->Window(), "options-page");
    // Typing in the folder box enables Apply; the text shown on opening did not.
    HWND apply = GetDlgItem(host->Window(), kApplyButton);
    EXPECT_FALSE(IsWindowEnabled(apply));
    SendDlgItemMessageA(page, kDataFolder, WM_CHAR, 'x', 0);
    EXPECT_NE(ControlText(page, kDataFolder), tree.Root());
    EXPECT_TRUE(IsWindowEnabled(apply));
}

TEST_F(OptionsPageTest, AnEmptySettingShowsTheFolderTheNamespaceFallsBackTo) {
    Settings().SetDataRoot("");
    Show();
    char appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    EXPECT_EQ(ControlText(page, kDataFolder), std::string(appData) + "\\Cataloom");
    EXPECT_EQ(CheckState(page, kRootVerb), BST_UNCHECKED);
}

TEST_F(OptionsPageTest, RefusedFoldersKeepTheSheetOpenAndSaveNothing) {
    tree.WriteFile("a file", "x");
    // 214 characters, but 274 bytes: "表" takes two (its second is a backslash).
    std::string longPath = "C:\\" + std::string(150, 'a') + "\\";
    for (int i = 0; i < 60; ++i) longPath += "表";
    const struct {
        std::string typed;
        std::vector<int> buttons;
        std::vector<std::string> messages;
    } cases[] = {
        {"", {IDOK}, {kRequired}},
        {"data", {IDOK}, {kNotFull}},
        {"C:data", {IDOK}, {kNotFull}},
        {"\\data", {IDOK}, {kNotFull}},
        {tree.Path("a file"), {IDOK}, {kNotDirectory}},
        {longPath, {IDOK}, {kTooLong}},
        // One level is created, never two.
        {tree.Path("無い\\保存先"), {IDYES, IDOK}, {kMissing, kNotCreated}},
        {tree.Path("保存先"), {IDNO}, {kMissing}},
        {tree.Path("保存先"), {IDCANCEL}, {kMissing}},
    };
    Show();
    CheckDlgButton(page, kRootVerb, BST_CHECKED);
    for (const auto& c : cases) {
        bool applied = true;
        EXPECT_EQ(ApplyWith(c.typed, c.buttons, &applied), c.messages) << c.typed;
        EXPECT_FALSE(applied) << c.typed;
        EXPECT_EQ(host->Page(), page) << c.typed;
        EXPECT_EQ(StoredDataRoot(), tree.Root()) << c.typed;
        EXPECT_FALSE(Settings().IsRootDefaultVerb()) << c.typed;
    }
    EXPECT_FALSE(path::Exists(tree.Path("保存先").c_str()));
    EXPECT_FALSE(path::Exists(tree.Path("無い").c_str()));
}

TEST_F(OptionsPageTest, AMissingFolderIsCreatedAfterYesAndTheSettingsAreStored) {
    Show();
    CheckDlgButton(page, kRootVerb, BST_CHECKED);
    const std::string folder = tree.Path("新しい保存先");
    bool applied = false;
    EXPECT_EQ(ApplyWith(folder, {IDYES}, &applied), std::vector<std::string>{kMissing});
    EXPECT_TRUE(applied);
    EXPECT_TRUE(path::IsDirectory(folder.c_str()));
    EXPECT_EQ(StoredDataRoot(), folder);
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kVerbKey, nullptr).text, "root");

    // Cleared again, the verb is stored as an empty value.
    CheckDlgButton(page, kRootVerb, BST_UNCHECKED);
    EXPECT_TRUE(ApplyWith(folder, {IDOK}, &applied).empty());
    EXPECT_TRUE(applied);
    StoredValue verb = ReadStoredValue(HKEY_CLASSES_ROOT, kVerbKey, nullptr);
    EXPECT_TRUE(verb.exists);
    EXPECT_EQ(verb.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(verb.text, "");
}

TEST_F(OptionsPageTest, AnExistingFolderWithABackslashAndADriveRootAreTakenAsTyped) {
    Show();
    // A drive alone ("C:") is its root, as everywhere the setting is read.
    for (const std::string& typed : {tree.Root() + "\\", std::string("C:\\"), std::string("C:")}) {
        bool applied = false;
        EXPECT_TRUE(ApplyWith(typed, {IDOK}, &applied).empty()) << typed;
        EXPECT_TRUE(applied) << typed;
        EXPECT_EQ(StoredDataRoot(), typed);
    }
}

TEST_F(OptionsPageTest, OkAppliesAndEveryOpenViewListsItsFolderAgain) {
    IdList root = ParseFromDesktop("");
    ASSERT_TRUE(root);
    RecordingView view(root.Get());
    Show();
    const std::string folder = tree.MakeDir("別の保存先");
    SetDlgItemTextA(page, kDataFolder, folder.c_str());
    host->PressOk();
    EXPECT_EQ(host->Page(), nullptr);
    EXPECT_EQ(StoredDataRoot(), folder);
    EXPECT_EQ(view.calls, std::vector<std::string>{"Refresh"});
}

TEST_F(OptionsPageTest, BrowseTakesTheFolderChosenInTheFolderPicker) {
    Show();
    const std::string chosen = tree.MakeDir("選んだ");
    DialogAction picker("フォルダーの参照", [&](HWND dialog) {
        // The picker fills its tree after it shows: select until it holds.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
            SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(chosen.c_str()));
            if (SelectedTreeText(GetDlgItem(dialog, 14145)) == "選んだ") break;
        }
        PressDialogButton(dialog, IDOK);
    });
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(kBrowse, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, kBrowse)));
    EXPECT_TRUE(picker.Done());
    EXPECT_EQ(ControlText(page, kDataFolder), chosen);

    // Cancelled, the box keeps its text.
    SetDlgItemTextA(page, kDataFolder, "C:\\kept");
    DialogAction cancel("フォルダーの参照", [](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(kBrowse, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, kBrowse)));
    EXPECT_TRUE(cancel.Done());
    EXPECT_EQ(ControlText(page, kDataFolder), "C:\\kept");
}

// Runs the colour dialog of swatch `id`: the colour it started with, as its
// red, green and blue boxes showed it; `pick` is typed in when `ok`.
std::string ChooseThroughDialog(HWND page, int id, COLORREF pick, bool ok) {
    std::string preset;
    DialogAction chooser("色", [&](HWND dialog) {
        preset = ControlText(dialog, 706) + "," + ControlText(dialog, 707) + "," + ControlText(dialog, 708);
        if (ok) {
            SetDlgItemInt(dialog, 706, GetRValue(pick), FALSE);
            SetDlgItemInt(dialog, 707, GetGValue(pick), FALSE);
            SetDlgItemInt(dialog, 708, GetBValue(pick), FALSE);
        }
        PressDialogButton(dialog, ok ? IDOK : IDCANCEL);
    });
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    EXPECT_TRUE(chooser.Done());
    return preset;
}

TEST_F(OptionsPageTest, ColoursAreStoredWhenChosenAndKeptWhenTheSheetIsCancelled) {
    Show();
    EXPECT_EQ(ChooseThroughDialog(page, kBgColour, RGB(10, 20, 30), true), "1,2,3");
    EXPECT_EQ(Settings().GetBgColor(), RGB(10, 20, 30));
    EXPECT_EQ(ClientPixel(GetDlgItem(page, kBgColour), 6, 6), RGB(10, 20, 30));

    EXPECT_EQ(ChooseThroughDialog(page, kTextColour, RGB(250, 240, 230), true), "200,100,50");
    EXPECT_EQ(Settings().GetTextColor(), RGB(250, 240, 230));
    EXPECT_EQ(ClientPixel(GetDlgItem(page, kTextColour), 6, 6), RGB(250, 240, 230));

    // A cancelled colour dialog changes nothing.
    EXPECT_EQ(ChooseThroughDialog(page, kBgColour, RGB(99, 99, 99), false), "10,20,30");
    EXPECT_EQ(Settings().GetBgColor(), RGB(10, 20, 30));

    host->PressCancel();
    EXPECT_EQ(host->Page(), nullptr);
    EXPECT_EQ(Settings().GetBgColor(), RGB(10, 20, 30));
    EXPECT_EQ(Settings().GetTextColor(), RGB(250, 240, 230));
}

// The namespace folder's own properties: its property sheet object, with
// no items, adds the options page.
TEST_F(OptionsPageTest, TheFolderItselfGivesTheOptionsPage) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    ComPtr<IShellPropSheetExt> background;
    ASSERT_EQ(root->CreateViewObject(nullptr, IID_IShellPropSheetExt, background.PutVoid()), S_OK);
    ComPtr<IShellPropSheetExt> noItems;
    ASSERT_EQ(root->GetUIObjectOf(nullptr, 0, nullptr, IID_IShellPropSheetExt, nullptr, noItems.PutVoid()), S_OK);
    for (IShellPropSheetExt* extension : {background.Get(), noItems.Get()}) {
        AddedPages added = CollectPages(extension);
        EXPECT_EQ(added.result, S_OK);
        ASSERT_EQ(added.pages.size(), 1u);
        SheetHost sheet(added.pages);
        EXPECT_EQ(sheet.TabTitle(0), "Cataloom");
        EXPECT_EQ(ControlText(sheet.Page(), kDataFolder), tree.Root());
    }
}

}  // namespace
}  // namespace cataloom::test
