#include "tests/searcher/SearcherTestSupport.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/CatalogReader.h"
#include "namespace/ProcessObjects.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/WinTestSupport.h"
#include "tools/Searcher.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

class SearcherEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        // The search menu class and the opener the item menu calls, as the
        // library installs them.
        InstallSearcher();
    }
};
const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new SearcherEnvironment), true);

EntryData Timeless(EntryData entry) {
    entry.writeTime = 0;
    entry.creationTime = 0;
    return entry;
}

}  // namespace

SearchData::SearchData(const std::string& dataRootSuffix) {
    tree_.MakeDir("ソフト");
    tree_.MakeDir("書類");
    tree_.WriteFile("c.txt", "text");
    CatalogHeader soft = MakeHeader("ソフト集");
    soft.driveType = 5;
    soft.captureTime = kCaptureTime;
    EXPECT_TRUE(WriteCatalog(Path("ソフト\\ソフト.vmf"), soft,
                             {{"ソフト集", 0,
                               {Dir("ドキュメント"), File("xABCy.txt", 1), File("Abc.txt", 1000), File("big.bin", 1001),
                                Timeless(File("zero.dat", 0)), File("表", 5), File("a", 3)}},
                              {"ドキュメント", 0, {File("readme.txt", 2500)}}}));
    CatalogHeader top = MakeHeader("トップ");
    top.driveType = 2;
    top.captureTime = kCaptureTime;
    EXPECT_TRUE(WriteCatalog(Path("top.vmf"), top, {{"トップ", 0, {File("abc.log", 10)}}}));
    ProcessObjects::Settings().SetDataRoot((tree_.Root() + dataRootSuffix).c_str());
}

SearchData::~SearchData() {
    ProcessObjects::Reader().Release();
    ProcessObjects::Settings().SetDataRoot("");
}

void RunSearcher(const std::string& location, const std::function<void(HWND)>& act, HWND owner) {
    DialogAction action(kSearcherCaption, [&](HWND dialog) {
        act(dialog);
        // Close stops a search that still runs and closes the idle window.
        for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 30000; Sleep(100))
            PressDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(OpenSearcherWindow(owner, location.c_str()), S_OK);
    EXPECT_TRUE(action.Done());
}

std::string StatusText(HWND dialog) { return WindowText(GetDlgItem(dialog, kStatusBar)); }

std::string FoundText(int count) { return std::to_string(count) + " 個のアイテムが見つかりました"; }

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10))
        if (predicate()) return true;
    return predicate();
}

bool WaitForEnd(HWND dialog, DWORD timeoutMs) {
    // The count, perhaps followed by what the rows could not show.
    const std::string found = " 個のアイテムが見つかりました";
    return WaitUntil([&] { return StatusText(dialog).find(found) != std::string::npos; }, timeoutMs);
}

void StartSearch(HWND dialog, const std::string& pattern, bool matchCase) {
    SetDlgItemTextA(dialog, kPatternBox, pattern.c_str());
    CheckDlgButton(dialog, kMatchCaseBox, matchCase ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(GetDlgItem(dialog, kStatusBar), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    PressDialogButton(dialog, IDOK);
}

std::vector<SearchRow> SearchFor(HWND dialog, const std::string& pattern, bool matchCase) {
    StartSearch(dialog, pattern, matchCase);
    EXPECT_TRUE(WaitForEnd(dialog)) << pattern;
    return ListedRows(dialog);
}

std::vector<SearchRow> ListedRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, kResultList);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<SearchRow> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        for (int column = 0; column < 5; ++column) {
            char text[1024] = {};
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            rows[static_cast<std::size_t>(i)].texts[static_cast<std::size_t>(column)] = text;
        }
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        rows[static_cast<std::size_t>(i)].image = item.iImage;
    }
    return rows;
}

std::vector<std::string> Names(const std::vector<SearchRow>& rows) {
    std::vector<std::string> names;
    for (const SearchRow& row : rows) names.push_back(row.texts[0]);
    std::sort(names.begin(), names.end());
    return names;
}

const SearchRow* FindRow(const std::vector<SearchRow>& rows, const std::string& name) {
    for (const SearchRow& row : rows)
        if (row.texts[0] == name) return &row;
    return nullptr;
}

std::string LocalListTime(std::uint64_t fileTime) {
    FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute);
    return text;
}

}  // namespace cataloom::test
