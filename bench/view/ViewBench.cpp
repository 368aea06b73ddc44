// Opening speed of the folder view under Wine: catalogue directories of
// 100,000 entries (all files, already in the view's order; and every tenth a
// directory, which the view must sort), and the data folder of 1,000
// catalogues in 20 categories (the root's view; each category's view).  An
// open is timed from the browser's BrowseObject until the view's list is
// filled and its first screen painted, in the shell's explorer browser
// component and in our own browser, with the folders served by the built
// Cataloom.dll.  Beside it, in the same run: the bare enumeration of the same
// folders (bind and enumerate through the desktop folder), and for the
// category views a plain list view of as many rows created and painted.
// Medians of interleaved runs.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchCatalogues.h"
#include "browser/BrowserFrame.h"
#include "browser/ExplorerBrowserWindow.h"
#include "browser/FolderViewList.h"
#include "core/TaskMemory.h"
#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "settings/SettingsStore.h"

namespace cataloom::bench {
namespace {

constexpr int kRuns = 5;

using Place = TaskMemory<ITEMIDLIST>;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

Place Parse(const std::string& rest) {
    std::string name = std::string(kFolderParsingName) + (rest.empty() ? "" : "\\" + rest);
    std::wstring wide(name.begin(), name.end());
    ComPtr<IShellFolder> desktop;
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(SHGetDesktopFolder(desktop.Put())) ||
        FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr)))
        Fail("parse failed");
    return Place(list);
}

// The bare enumeration: bind through the desktop folder, enumerate
// everything, free each item; the count.
std::size_t Enumerate(PCIDLIST_ABSOLUTE place) {
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> folder;
    ComPtr<IEnumIDList> items;
    if (FAILED(SHGetDesktopFolder(desktop.Put())) ||
        FAILED(desktop->BindToObject(place, nullptr, IID_IShellFolder, folder.PutVoid())) ||
        folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put()) != S_OK)
        Fail("enumeration failed");
    std::size_t count = 0;
    PITEMID_CHILD batch[64];
    ULONG fetched = 0;
    while (SUCCEEDED(items->Next(64, batch, &fetched)) && fetched > 0) {
        for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(batch[i]);
        count += fetched;
    }
    return count;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A browser that shows views: the shell's component or our own frame.
struct Host {
    const char* name;
    std::function<HRESULT(PCIDLIST_ABSOLUTE)> browse;
    HWND window;
};

// Opens `place` and paints the first screen of its list; the list's rows.
int Open(const Host& host, PCIDLIST_ABSOLUTE place) {
    if (FAILED(host.browse(place))) Fail("browse failed");
    RedrawWindow(host.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    HWND list = FindFolderViewList(host.window);
    if (list == nullptr || GetUpdateRect(list, nullptr, FALSE)) Fail("the view was not painted");
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// The system's own cost of a list: a plain report list view of `rows` rows
// of five texts in a window of the hosts' size, created and painted.
void PlainList(int rows) {
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700, nullptr,
                               nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 980,
                                660, top, nullptr, nullptr, nullptr);
    for (int column = 0; column < 5; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH;
        header.cx = 100;
        header.pszText = const_cast<wchar_t*>(L"ラベル");
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
    }
    for (int row = 0; row < rows; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(L"disc0000");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 5; ++column) {
            LVITEMW cell = {};
            cell.iSubItem = column;
            cell.pszText = const_cast<wchar_t*>(L"4,772,186KB");
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    DestroyWindow(top);
}

struct Figures {
    double view;
    double enumeration;
};

// Times `open` against `enumerate` in turn, leaving the view on `away`
// between runs so that every open makes a new view.
Figures Measure(const Host& host, PCIDLIST_ABSOLUTE away, const std::function<void()>& open,
                const std::function<void()>& enumerate) {
    std::vector<double> views;
    std::vector<double> enumerations;
    for (int run = 0; run < kRuns; ++run) {
        Open(host, away);
        Pump();
        views.push_back(Seconds(open));
        Pump();
        enumerations.push_back(Seconds(enumerate));
    }
    return {Median(views), Median(enumerations)};
}

void Report(const char* host, const char* what, const Figures& figures, double target) {
    std::printf("%-16s %-44s view %7.1f ms   enumeration %6.1f ms", host, what, figures.view * 1e3,
                figures.enumeration * 1e3);
    if (target > 0) std::printf("   target < %.0f ms: %s", target * 1e3, figures.view < target ? "met" : "MISSED");
    std::printf("\n");
}

int Run() {
    std::string data = DataFolderPath("view-bench");
    std::printf("building %d catalogues in %d categories and two directories of %d entries in %s\n",
                kCategories * kCataloguesPerCategory, kCategories, kBigDirectoryEntries, data.c_str());
    BuildData(data);

    RegisterBuiltLibrary();
    SettingsStore settings;
    settings.SetDataRoot(data.c_str());

    Place root = Parse("");
    Place big = Parse(kBigDirectory);
    Place mixed = Parse(kMixedDirectory);
    std::vector<Place> categories;
    for (int c = 0; c < kCategories; ++c) categories.push_back(Parse(Category(c)));
    // Shown between runs: a folder of one row, so that every timed open
    // replaces a small view.
    Place away = Parse("big\\big.vmf");

    ExplorerBrowserWindow explorer(L"Cataloom", 1000, 700);
    if (FAILED(explorer.Initialized())) Fail("no explorer browser component");
    BrowserOptions options;
    options.width = 1000;
    options.height = 700;
    BrowserFrame* frame = BrowserFrame::Create(options, GetModuleHandleW(nullptr));
    if (frame == nullptr) Fail("no browser frame");
    const Host hosts[] = {
        {"ExplorerBrowser", [&](PCIDLIST_ABSOLUTE place) { return explorer.Browse(place); }, explorer.Window()},
        {"CataloomBrowser",
         [&](PCIDLIST_ABSOLUTE place) { return frame->BrowseObject(place, SBSP_SAMEBROWSER | SBSP_ABSOLUTE); },
         frame->Window()},
    };

    bool met = true;
    for (const Host& host : hosts) {
        if (Open(host, big.Get()) != kBigDirectoryEntries || Open(host, mixed.Get()) != kBigDirectoryEntries)
            Fail("the big directories' row counts");
        if (Open(host, root.Get()) != kCategories + 1) Fail("the root's row count");
        Figures bigDirectory = Measure(host, away.Get(), [&] { Open(host, big.Get()); },
                                       [&] { Enumerate(big.Get()); });
        Report(host.name, "100,000 files, in the view's order", bigDirectory, 1.0);
        Figures mixedDirectory = Measure(host, away.Get(), [&] { Open(host, mixed.Get()); },
                                         [&] { Enumerate(mixed.Get()); });
        Report(host.name, "100,000 entries, 10% directories: sorted", mixedDirectory, 1.0);
        Figures rootView = Measure(host, away.Get(), [&] { Open(host, root.Get()); }, [&] { Enumerate(root.Get()); });
        Report(host.name, "data folder: its view (20 categories)", rootView, 0.5);
        Figures categoryViews = Measure(
            host, away.Get(),
            [&] {
                for (const Place& category : categories) Open(host, category.Get());
            },
            [&] {
                for (const Place& category : categories) Enumerate(category.Get());
            });
        categoryViews.view /= kCategories;
        categoryViews.enumeration /= kCategories;
        Report(host.name, "a category's view (50 catalogues), mean", categoryViews, 0);
        met = met && bigDirectory.view < 1.0 && mixedDirectory.view < 1.0 && rootView.view < 0.5;
    }
    std::vector<double> plain;
    for (int run = 0; run < kRuns; ++run) plain.push_back(Seconds([] { PlainList(kCataloguesPerCategory); }));
    std::printf("%-16s %-44s      %7.1f ms\n", "system", "a plain list view of 50 rows, made and painted",
                Median(plain) * 1e3);
    frame->Close();
    frame->Release();
    settings.SetDataRoot("");
    RemoveData(data);
    return met ? 0 : 1;
}

}  // namespace
}  // namespace cataloom::bench

int main() {
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    int status = cataloom::bench::Run();
    OleUninitialize();
    return status;
}
