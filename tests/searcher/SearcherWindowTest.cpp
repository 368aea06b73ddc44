// The search window through its own window under Xvfb: the patterns, every
// kind of start location, the row texts and images, the column widths, the
// folder picker and opening a row's location.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "core/StoredName.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ProgramLauncher.h"
#include "namespace/SearcherOpener.h"
#include "namespace/ShellUtil.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/searcher/SearcherTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

using Names_ = std::vector<std::string>;

std::string Location(HWND dialog) { return WindowText(GetDlgItem(dialog, kLocationBox)); }

// Sets the location box as Browse would (it is read-only to the user).
void SetLocation(HWND dialog, const std::string& location) {
    SetDlgItemTextA(dialog, kLocationBox, location.c_str());
}

TEST(SearcherWindowTest, MatchesPatternsWithAndWithoutCase) {
    SearchData data;
    RunSearcher("", [](HWND dialog) {
        EXPECT_EQ(Names(SearchFor(dialog, "abc")), (Names_{"Abc.txt", "abc.log", "xABCy.txt"}));
        EXPECT_EQ(Names(SearchFor(dialog, "abc", true)), (Names_{"abc.log"}));
        EXPECT_EQ(Names(SearchFor(dialog, "a*.TXT")), (Names_{"Abc.txt"}));
        EXPECT_EQ(Names(SearchFor(dialog, "a*.TXT", true)), Names_{});
        EXPECT_EQ(StatusText(dialog), FoundText(0));
        // '?' is one byte: a double-byte name needs two.
        EXPECT_EQ(Names(SearchFor(dialog, "?")), (Names_{"a"}));
        EXPECT_EQ(Names(SearchFor(dialog, "??")), (Names_{"表"}));
        // "ソ" ends in 0x5C like "表": only the same character matches, and a
        // single-byte pattern never meets a second byte ("ト" is 0x83 0x67).
        EXPECT_EQ(Names(SearchFor(dialog, "ソ")), (Names_{"ソフト", "ソフト.vmf"}));
        EXPECT_EQ(Names(SearchFor(dialog, "g")), (Names_{"abc.log", "big.bin"}));
        // An empty pattern lists every category, catalogue, directory and
        // file; other files of the data folder are neither.
        std::vector<SearchRow> all = SearchFor(dialog, "");
        EXPECT_EQ(Names(all), (Names_{"Abc.txt", "a", "abc.log", "big.bin", "readme.txt", "top.vmf", "xABCy.txt",
                                      "zero.dat", "ソフト", "ソフト.vmf", "ドキュメント", "書類", "表"}));
        EXPECT_EQ(StatusText(dialog), FoundText(13));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), "閉じる");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    });
}

TEST(SearcherWindowTest, SearchesBelowEveryKindOfLocation) {
    SearchData data;
    RunSearcher("", [](HWND dialog) {
        const std::string root = Location(dialog);
        ASSERT_FALSE(root.empty());
        SetLocation(dialog, root + "\\ソフト");
        EXPECT_EQ(Names(SearchFor(dialog, "")), (Names_{"Abc.txt", "a", "big.bin", "readme.txt", "xABCy.txt",
                                                        "zero.dat", "ソフト.vmf", "ドキュメント", "表"}));
        SetLocation(dialog, root + "\\ソフト\\ソフト.vmf");
        EXPECT_EQ(Names(SearchFor(dialog, "")), (Names_{"Abc.txt", "a", "big.bin", "readme.txt", "xABCy.txt",
                                                        "zero.dat", "ドキュメント", "表"}));
        SetLocation(dialog, root + "\\ソフト\\ソフト.vmf\\ドキュメント");
        EXPECT_EQ(Names(SearchFor(dialog, "")), (Names_{"readme.txt"}));
        SetLocation(dialog, root + "\\書類");
        EXPECT_EQ(Names(SearchFor(dialog, "")), Names_{});
        // A location that no longer exists finds nothing.
        SetLocation(dialog, root + "\\消えた");
        EXPECT_EQ(Names(SearchFor(dialog, "")), Names_{});
        EXPECT_EQ(StatusText(dialog), FoundText(0));
        SetLocation(dialog, root + "\\ソフト\\ソフト.vmf\\ない");
        EXPECT_EQ(Names(SearchFor(dialog, "")), Names_{});
        // Nothing above the data folder.
        SetLocation(dialog, root + "\\..");
        EXPECT_EQ(Names(SearchFor(dialog, "")), Names_{});
    });
    // The caller's location is where the window starts.
    std::string shown;
    RunSearcher("Cataloom\\ソフト\\ソフト.vmf\\ドキュメント", [&](HWND dialog) {
        shown = Location(dialog);
        EXPECT_EQ(Names(SearchFor(dialog, "")), (Names_{"readme.txt"}));
    });
    EXPECT_EQ(shown, "Cataloom\\ソフト\\ソフト.vmf\\ドキュメント");
}

// The item menu opens the window through the namespace's opener with the
// item's full name as the desktop gives it for the address bar.
TEST(SearcherWindowTest, TheOpenerSearchesBelowTheItemTheDesktopNames) {
    SearchData data;
    IdList catalogue = ParseFromDesktop("ソフト\\ソフト.vmf");
    ASSERT_TRUE(catalogue);
    const std::string name =
        DisplayName(Desktop().Get(), catalogue.Child(), SHGDN_FORADDRESSBAR | SHGDN_FORPARSING);
    ASSERT_FALSE(name.empty());
    std::string shown;
    std::vector<std::string> found;
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        shown = Location(dialog);
        found = Names(SearchFor(dialog, ""));
        PressDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(OpenSearcher(nullptr, name.c_str()), S_OK);
    EXPECT_TRUE(action.Done());
    EXPECT_EQ(shown, name);
    EXPECT_EQ(found, (Names_{"Abc.txt", "a", "big.bin", "readme.txt", "xABCy.txt", "zero.dat", "ドキュメント", "表"}));
}

// The walk reads through the task's own reader: the one the folders share
// on the window's thread keeps the catalogue it had.
TEST(SearcherWindowTest, TheSearchLeavesTheSharedCatalogueReaderAlone) {
    SearchData data;
    CatalogReader& shared = ProcessObjects::Reader();
    ASSERT_TRUE(Succeeded(shared.Open(data.Path("top.vmf").c_str())));
    const std::string before = shared.CurrentPath();
    RunSearcher("", [](HWND dialog) { EXPECT_EQ(SearchFor(dialog, "").size(), 13u); });
    EXPECT_EQ(std::string(shared.CurrentPath()), before);
}

TEST(SearcherWindowTest, ADataFolderWithATrailingBackslashLosesNoName) {
    SearchData data("\\");
    RunSearcher("", [](HWND dialog) {
        EXPECT_EQ(Names(SearchFor(dialog, "ソ")), (Names_{"ソフト", "ソフト.vmf"}));
        EXPECT_EQ(SearchFor(dialog, "").size(), 13u);
    });
}

TEST(SearcherWindowTest, AnEmptyDataFolderSettingSearchesTheFallbackFolder) {
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    const std::string fallback = std::string(appData) + "\\Cataloom";
    CreateDirectoryA(fallback.c_str(), nullptr);
    const std::string catalogue = fallback + "\\searcher-fallback.vmf";
    CatalogHeader header = MakeHeader("予備");
    ASSERT_TRUE(WriteCatalog(catalogue, header, {{"予備", 0, {File("fallback.txt", 1)}}}));
    {
        SearchData data;
        ProcessObjects::Settings().SetDataRoot("");
        RunSearcher("", [](HWND dialog) {
            EXPECT_EQ(Names(SearchFor(dialog, "fallback")), (Names_{"fallback.txt", "searcher-fallback.vmf"}));
        });
    }
    ProcessObjects::Reader().Release();
    DeleteFileA(catalogue.c_str());
}

TEST(SearcherWindowTest, RowsShowLocationSizeTypeDateAndImage) {
    SearchData data;
    IconCache& icons = ProcessObjects::Icons();
    // A category with an icon of its own shows it.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string iconLocation = std::string(system) + "\\shell32.dll,3";
    data.Tree().WriteFile("書類\\category.ini", "[Cataloom]\r\nIcon=" + iconLocation + "\r\n");
    const int chosenIcon = icons.AddIconLocation(iconLocation.c_str());
    ASSERT_GE(chosenIcon, 0);
    ASSERT_NE(chosenIcon, icons.CategoryIcon(false));
    RunSearcher("", [&](HWND dialog) {
        const std::string root = Location(dialog);
        std::vector<SearchRow> rows = SearchFor(dialog, "");
        const SearchRow* category = FindRow(rows, "ソフト");
        ASSERT_NE(category, nullptr);
        EXPECT_EQ(category->texts, (std::array<std::string, 5>{"ソフト", "", "", "カテゴリ", ""}));
        EXPECT_EQ(category->image, icons.CategoryIcon(false));
        EXPECT_EQ(FindRow(rows, "書類")->image, chosenIcon);
        const SearchRow* cdrom = FindRow(rows, "ソフト.vmf");
        ASSERT_NE(cdrom, nullptr);
        EXPECT_EQ(cdrom->texts,
                  (std::array<std::string, 5>{"ソフト.vmf", "ソフト", "", "CD-ROM", LocalListTime(kCaptureTime)}));
        EXPECT_EQ(cdrom->image, icons.MediaIcon(5));
        const SearchRow* removable = FindRow(rows, "top.vmf");
        ASSERT_NE(removable, nullptr);
        EXPECT_EQ(removable->texts[1], "");
        EXPECT_EQ(removable->texts[3], "リムーバブル ディスク");
        EXPECT_EQ(removable->image, icons.MediaIcon(2));
        const SearchRow* directory = FindRow(rows, "ドキュメント");
        ASSERT_NE(directory, nullptr);
        EXPECT_EQ(directory->texts[1], "ソフト\\ソフト.vmf");
        EXPECT_EQ(directory->texts[2], "");
        const SearchRow* readme = FindRow(rows, "readme.txt");
        ASSERT_NE(readme, nullptr);
        EXPECT_EQ(readme->texts[1], "ソフト\\ソフト.vmf\\ドキュメント");
        EXPECT_EQ(readme->texts[2], "3KB");
        EXPECT_EQ(readme->texts[4], LocalListTime(kWriteTime));
        SHFILEINFOA info = {};
        SHGetFileInfoA("readme.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
        EXPECT_EQ(readme->texts[3], info.szTypeName);
        EXPECT_EQ(readme->image, info.iIcon);
        // Kilobytes of 1000 bytes, any part counting as a whole.
        EXPECT_EQ(FindRow(rows, "xABCy.txt")->texts[2], "1KB");
        EXPECT_EQ(FindRow(rows, "Abc.txt")->texts[2], "1KB");
        EXPECT_EQ(FindRow(rows, "big.bin")->texts[2], "2KB");
        EXPECT_EQ(FindRow(rows, "zero.dat")->texts[2], "0KB");
        EXPECT_EQ(FindRow(rows, "zero.dat")->texts[4], "(unknown)");
        EXPECT_EQ(FindRow(rows, "abc.log")->texts[1], "top.vmf");

        // Locations are shown below the location searched.
        SetLocation(dialog, root + "\\ソフト");
        rows = SearchFor(dialog, "");
        EXPECT_EQ(FindRow(rows, "ソフト.vmf")->texts[1], "");
        EXPECT_EQ(FindRow(rows, "readme.txt")->texts[1], "ソフト.vmf\\ドキュメント");
        EXPECT_EQ(FindRow(rows, "a")->texts[1], "ソフト.vmf");
    });
}

TEST(SearcherWindowTest, ColumnWidthsComeFromTheSettingsAndAreStoredAfterTracking) {
    SearchData data;
    SettingsStore& settings = ProcessObjects::Settings();
    const std::int32_t stored[5] = {111, 122, 133, 144, 155};
    settings.SetSearcherColumns(stored, 5);
    std::vector<int> shown;
    RunSearcher("", [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kResultList);
        for (int i = 0; i < 5; ++i) shown.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0)));
        // A divider drag ends with HDN_ENDTRACK (Wine sends no
        // HDN_ITEMCHANGED); the width is applied after it.
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(260, 0));
        NMHEADERA notice = {};
        notice.hdr.hwndFrom = header;
        notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
        notice.hdr.code = HDN_ENDTRACKA;
        notice.iItem = 1;
        SendMessageA(dialog, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
        EXPECT_TRUE(WaitUntil([&] {
            std::int32_t widths[5] = {0, 0, 0, 0, 0};
            settings.GetSearcherColumns(widths, 5);
            return widths[1] == 260;
        }));
    });
    EXPECT_EQ(shown, (std::vector<int>{111, 122, 133, 144, 155}));
    std::int32_t widths[5] = {0, 0, 0, 0, 0};
    settings.GetSearcherColumns(widths, 5);
    EXPECT_EQ(std::vector<std::int32_t>(widths, widths + 5), (std::vector<std::int32_t>{111, 260, 133, 144, 155}));
    settings.SetSearcherColumns(SettingsStore::kDefaultSearcherColumns, 5);
}

RECT ChildRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(SearcherWindowTest, ListFillsTheWindowBelowThePanelAndTheWindowKeepsAMinimumSize) {
    SearchData data;
    RunSearcher("", [](HWND dialog) {
        const RECT panel = ChildRect(dialog, 1704);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1704)));
        SetWindowPos(dialog, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
        RECT client = {};
        GetClientRect(dialog, &client);
        const RECT list = ChildRect(dialog, kResultList);
        const RECT status = ChildRect(dialog, kStatusBar);
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.top, panel.bottom - panel.top);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, status.top);
        EXPECT_EQ(status.bottom, client.bottom);
        // Never smaller than the panel.
        SetWindowPos(dialog, nullptr, 0, 0, 40, 40, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(dialog, &client);
        EXPECT_GE(client.right, panel.right - panel.left);
        EXPECT_GE(client.bottom, panel.bottom - panel.top);
    });
}

// A row names its item within the system's path length: what the rows
// cannot show (a directory path past it, a name holding a separator) is
// counted in the status text, not dropped silently.
TEST(SearcherWindowTest, EntriesNoRowCanShowAreCounted) {
    SearchData data;
    data.Tree().MakeDir("長い");
    const std::string level(100, 'd');
    CatalogHeader header = MakeHeader("L");
    ASSERT_TRUE(WriteCatalog(data.Path("長い\\long.vmf"), header,
                             {{"", 0, {Dir(level + "1", 1), File("a\\b", 1)}},
                              {level + "1", 0, {Dir(level + "2", 1)}},
                              {level + "2", 1, {Dir(level + "3")}},
                              {level + "3", 2, {File("x", 1)}}}));
    RunSearcher("", [&](HWND dialog) {
        SetDlgItemTextA(dialog, kLocationBox, (WindowText(GetDlgItem(dialog, kLocationBox)) + "\\長い").c_str());
        std::vector<SearchRow> rows = SearchFor(dialog, "");
        EXPECT_EQ(Names(rows), (Names_{level + "1", level + "2", "long.vmf"}));
        EXPECT_EQ(StatusText(dialog), FoundText(static_cast<int>(rows.size())) +
                                          " (表示できない項目 2 個: パスが長すぎるか名前が壊れています)");
    });
}

TEST(SearcherWindowTest, BrowseTakesTheFolderChosenInTheFolderPicker) {
    SearchData data;
    IdList chosen = ParseFromDesktop("ソフト\\ソフト.vmf");
    ASSERT_TRUE(chosen);
    std::string picked;
    RunSearcher("", [&](HWND dialog) {
        PressDialogButton(dialog, kBrowseButton);
        HWND picker = WaitForDialog("フォルダーの参照", GetCurrentProcessId(), 10000);
        ASSERT_NE(picker, nullptr);
        // The picker fills its tree after it shows: select until it holds.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
            SendMessageA(picker, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(chosen.Get()));
            if (SelectedTreeText(GetDlgItem(picker, 14145)) == "ソフト集") break;
        }
        PressDialogButton(picker, IDOK);
        WaitUntil([&] { return IsWindow(picker) == FALSE; });
        picked = Location(dialog);
        EXPECT_EQ(Names(SearchFor(dialog, "")), (Names_{"Abc.txt", "a", "big.bin", "readme.txt", "xABCy.txt",
                                                        "zero.dat", "ドキュメント", "表"}));
    });
    const std::string end = "\\ソフト\\ソフト.vmf";
    ASSERT_GT(picked.size(), end.size());
    EXPECT_EQ(picked.substr(picked.size() - end.size()), end);
}

struct Launch {
    std::wstring file;
    std::wstring parameters;
    std::wstring verb;
    HWND owner;
    int show;
};
std::vector<Launch> g_launches;
std::vector<std::wstring> g_opened;  // the parsing names of the items opened

bool RecordLaunch(SHELLEXECUTEINFOW* info) {
    g_launches.push_back({info->lpFile ? info->lpFile : L"", info->lpParameters ? info->lpParameters : L"",
                          info->lpVerb ? info->lpVerb : L"", info->hwnd, info->nShow});
    return true;
}

HRESULT RecordOpen(PCIDLIST_ABSOLUTE item) {
    g_opened.push_back(ItemDisplayName(item, SHGDN_FORPARSING));
    return S_OK;
}

// Selects and focuses the row named `name`; its index, -1 for none.
int SelectRow(HWND dialog, const std::string& name) {
    std::vector<SearchRow> rows = ListedRows(dialog);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].texts[0] != name) continue;
        LVITEMA state = {};
        state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        state.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendDlgItemMessageA(dialog, kResultList, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
        return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << name;
    return -1;
}

// Selects and focuses the row named `name` and double-clicks it.
void DoubleClickRow(HWND dialog, const std::string& name) {
    HWND list = GetDlgItem(dialog, kResultList);
    const int i = SelectRow(dialog, name);
    if (i >= 0) {
        RECT rect = {};
        rect.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2));
    }
}

// The namespace root's parsing name as Wine's desktop gives it back.
const std::wstring kRoot = L"::{82b07bc4-ad2a-4d64-9d02-731a84ac7151}";

TEST(SearcherWindowTest, DoubleClickOpensTheItemsFolderWithTheItemSelected) {
    SearchData data;
    // A long path: the identifier list holds all of it, however long.
    const std::string longCategory(150, 'c');
    const std::string longDirectory(200, 'd');
    data.Tree().MakeDir(longCategory);
    CatalogHeader header = MakeHeader("深い");
    ASSERT_TRUE(WriteCatalog(data.Path(longCategory + "\\deep.vmf"), header,
                             {{"深い", 0, {Dir(longDirectory)}}, {longDirectory, 0, {File("end.txt", 1)}}}));
    InstallProgramLauncher(RecordLaunch);
    InstallFolderOpener(RecordOpen);
    g_launches.clear();
    g_opened.clear();
    HWND shownDialog = nullptr;
    RunSearcher("", [&](HWND dialog) {
        shownDialog = dialog;
        SearchFor(dialog, "readme");
        DoubleClickRow(dialog, "readme.txt");
        SearchFor(dialog, "end.txt");
        DoubleClickRow(dialog, "end.txt");
        // Beside the library, under Wine, our own browser shows the item.
        const std::string browser = ProgramFolder() + "CataloomBrowser.exe";
        std::ofstream(browser).put('x');
        SearchFor(dialog, "readme");
        DoubleClickRow(dialog, "readme.txt");
        SearchFor(dialog, "end.txt");
        DoubleClickRow(dialog, "end.txt");
        DeleteFileA(browser.c_str());
        // Enter on the focused row opens it too (not a new search).
        SearchFor(dialog, "");
        SelectRow(dialog, "readme.txt");
        const DWORD windowThread = GetWindowThreadProcessId(dialog, nullptr);
        AttachThreadInput(GetCurrentThreadId(), windowThread, TRUE);
        SetFocus(GetDlgItem(dialog, kResultList));
        AttachThreadInput(GetCurrentThreadId(), windowThread, FALSE);
        PostMessageA(GetDlgItem(dialog, kResultList), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitUntil([] { return g_opened.size() == 3; }));
        EXPECT_EQ(StatusText(dialog), FoundText(17));  // the 13 items and the long path's 4
    });
    InstallProgramLauncher(nullptr);
    InstallFolderOpener(nullptr);
    const std::wstring readme = kRoot + Wide("\\ソフト\\ソフト.vmf\\ドキュメント\\readme.txt");
    const std::wstring end = kRoot + Wide("\\" + longCategory + "\\deep.vmf\\" + longDirectory + "\\end.txt");
    EXPECT_EQ(g_opened, (std::vector<std::wstring>{readme, end, readme}));
    ASSERT_EQ(g_launches.size(), 2u);
    EXPECT_EQ(g_launches[1].parameters, L"\"/select," + end + L"\"");  // whole, however long
    EXPECT_EQ(g_launches[0].file, Wide(ProgramFolder() + "CataloomBrowser.exe"));
    EXPECT_EQ(g_launches[0].parameters, L"\"/select," + readme + L"\"");
    EXPECT_EQ(g_launches[0].verb, L"open");
    EXPECT_EQ(g_launches[0].owner, shownDialog);
    EXPECT_EQ(g_launches[0].show, SW_SHOWNORMAL);
}

// The arguments of each start of the recorder standing in for the browser,
// in the order of the starts.
std::vector<std::vector<std::wstring>> RecordedStarts(const std::string& recorder) {
    std::vector<std::vector<std::wstring>> starts;
    for (int n = 1;; ++n) {
        std::ifstream file(recorder + "." + std::to_string(n) + ".args", std::ios::binary);
        if (!file) return starts;
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        starts.emplace_back();
        for (std::size_t from = 0, end; (end = text.find(L'\0', from)) != std::wstring::npos; from = end + 1)
            starts.back().push_back(text.substr(from, end - from));
    }
}

// Names that would end the argument, add arguments or name another program
// if pasted between quotes.  A name that holds a separator has no parsing
// name and starts nothing; every other reaches the program started in place
// of the browser as exactly one argument naming the hit.
TEST(SearcherWindowTest, HostileNamesReachTheBrowserAsOneLocationArgument) {
    SearchData data;
    const std::vector<std::string> damaged = {"q\" C:\\evil.exe \"x", "y\" \"/select,z\" \"C:\\windows\\system32",
                                              "/select,a", "trailing\\", "C:\\evil.exe"};
    const std::vector<std::string> sound = {"q\" evil.exe \"x", "y\" \"-select,z\" \"C:", "two  words.txt", "end\""};
    std::vector<EntryData> files;
    for (const auto* names : {&damaged, &sound})
        for (const std::string& name : *names) files.push_back(File(name, 1));
    CatalogHeader header = MakeHeader("敵");
    ASSERT_TRUE(WriteCatalog(data.Path("hostile.vmf"), header, {{"敵", 0, {Dir("中")}}, {"中", 0, files}}));
    const std::string browser = ProgramFolder() + "CataloomBrowser.exe";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "argument-recorder.exe").c_str(), browser.c_str(), FALSE));
    RunSearcher("", [&](HWND dialog) {
        SearchFor(dialog, "");
        // The damaged names first: a start of theirs would come before the others' records.
        for (const auto* names : {&damaged, &sound})
            for (const std::string& name : *names) DoubleClickRow(dialog, VisibleName(name.c_str()));
        EXPECT_TRUE(WaitUntil([&] { return RecordedStarts(browser).size() >= sound.size(); }));
    });
    std::vector<std::vector<std::wstring>> expected;
    for (const std::string& name : sound)
        expected.push_back({L"/select," + kRoot + Wide("\\hostile.vmf\\中\\" + name)});
    EXPECT_EQ(RecordedStarts(browser), expected);
    for (std::size_t n = 1; n <= sound.size() + damaged.size(); ++n)
        DeleteFileA((browser + "." + std::to_string(n) + ".args").c_str());
    DeleteFileA(browser.c_str());
}

// A data folder setting written by hand as a relative path: no search runs
// in some other folder; the window says what is wrong.
TEST(SearcherWindowTest, ARelativeDataFolderSettingIsReportedNotSearched) {
    SearchData data;
    ProcessObjects::Settings().SetDataRoot("SearchData");
    std::string message;
    RunSearcher("", [&](HWND dialog) {
        DialogAnswerer warning("Cataloom", IDOK);
        StartSearch(dialog, "", false);
        EXPECT_TRUE(warning.Answered());
        message = warning.Message();
        EXPECT_EQ(ListedRows(dialog).size(), 0u);
    });
    EXPECT_EQ(message, "データ保存先の設定がドライブ名から始まる完全なパスではありません。\n"
                       "オプションのデータ保存先フォルダを指定し直してください。");
}

// A picture of the window with results, for the record (only when
// CATALOOM_SCREENSHOTS names a folder).
TEST(SearcherWindowTest, Picture) {
    SearchData data;
    RunSearcher("", [](HWND dialog) {
        std::vector<SearchRow> rows = SearchFor(dialog, "");
        ASSERT_EQ(rows.size(), 13u);
        LVITEMA state = {};
        state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        state.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendDlgItemMessageA(dialog, kResultList, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&state));
        SaveWindowPicture(dialog, "searcher-window");
    });
}

}  // namespace
}  // namespace cataloom::test
