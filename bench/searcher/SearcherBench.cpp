// Speed of the search window under Wine: 1,000,000 entries in 100
// catalogues (100 directories of 99 files each), a pattern that matches
// 100,000 of them and one that matches 100.  A search is timed from the
// Search button until every row is listed and the count is shown, in the
// window that the built Cataloom.dll's search menu opens.  Beside it, in the
// same run: `cataloom find` (cataloom.exe) over the same data folder, its
// output written to a file, and the core's walk alone on a thread of this
// program (what the window's worker adds is the difference).  Medians of
// interleaved runs.  Then, with the names index warm, the pattern typed into
// an open window (no button): the time from the edit to the first 100 rows
// and to the count.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/CatalogSearch.h"
#include "settings/ClassIds.h"
#include "tests/core/CatalogBuilder.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kCatalogues = 100;
constexpr int kDirectories = 100;
constexpr int kFiles = 99;
constexpr int kRuns = 3;
constexpr char kCaption[] = "Cataloom Searcher";

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "searcher benchmark: %s\n", what);
    std::exit(1);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Every tenth entry of the data folder is a "hit", every ten-thousandth
// (offset by 5) is "rare"; the rest are "miss".
std::string EntryName(long number, const char* extension) {
    const char* kind = number % 10 == 0 ? "hit" : (number % 10000 == 5 ? "rare" : "miss");
    return std::string(kind) + std::to_string(number) + extension;
}

void BuildData(const std::string& root) {
    const std::string done = root + "\\complete";
    if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    CreateDirectoryA(root.c_str(), nullptr);
    long number = 0;
    for (int c = 0; c < kCatalogues; ++c) {
        char name[32];
        std::snprintf(name, sizeof name, "DISC%03d", c);
        std::vector<cataloom::test::TreeDirectory> tree(1 + kDirectories);
        tree[0].name = name;
        for (int d = 0; d < kDirectories; ++d) {
            const std::string directory = EntryName(number++, "");
            tree[0].entries.push_back(cataloom::test::Dir(directory));
            tree[static_cast<std::size_t>(d) + 1].name = directory;
            for (int f = 0; f < kFiles; ++f)
                tree[static_cast<std::size_t>(d) + 1].entries.push_back(
                    cataloom::test::File(EntryName(number++, ".dat"), 1234));
        }
        cataloom::CatalogHeader header = cataloom::test::MakeHeader(name);
        if (!cataloom::test::WriteCatalog(root + "\\" + name + ".vmf", header, std::move(tree)))
            Fail("cannot write a catalogue");
    }
    std::ofstream(done) << number << "\n";
}

std::string WindowText(HWND window) {
    char text[512] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

HWND WaitForWindow() {
    for (int i = 0; i < 2000; ++i, Sleep(5)) {
        HWND window = FindWindowA("#32770", kCaption);
        if (window != nullptr && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

struct Timing {
    double seconds = 0;
    long rows = 0;
    std::string status;
};

struct Counter : cataloom::SearchSink {
    long hits = 0;
    void Found(const cataloom::SearchHit&) override { ++hits; }
};

// The core's walk alone on a thread of this process.
Timing TimeWalk(const std::string& root, const std::string& pattern) {
    Timing timing;
    std::thread walker([&] {
        auto start = std::chrono::steady_clock::now();
        cataloom::NameMatcher matcher(pattern.c_str(), false);
        cataloom::CatalogReader reader;
        Counter counter;
        cataloom::CatalogSearch(matcher, reader, counter, nullptr).Walk(root.c_str(), "");
        timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        timing.rows = counter.hits;
    });
    walker.join();
    return timing;
}

// Opens the search window through its menu command (it runs until the
// driver closes it), then waits for the driver.
void RunSearchWindow(IContextMenu* menu, std::thread& driver) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(0);
    info.nShow = SW_SHOWNORMAL;
    if (FAILED(menu->InvokeCommand(&info))) Fail("the search menu failed");
    driver.join();
}

// Opens the window through the library's search menu and times one search.
Timing TimeWindowSearch(IContextMenu* menu, const std::string& pattern) {
    Timing timing;
    std::thread driver([&] {
        HWND dialog = WaitForWindow();
        if (dialog == nullptr) Fail("no search window");
        HWND status = GetDlgItem(dialog, 1706);
        SetDlgItemTextA(dialog, 1700, pattern.c_str());
        SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
        const std::string end = " 個のアイテムが見つかりました";
        auto start = std::chrono::steady_clock::now();
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        for (;;) {
            std::string text = WindowText(status);
            if (text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0) {
                timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                timing.status = text;
                break;
            }
            Sleep(5);
        }
        timing.rows = static_cast<long>(SendDlgItemMessageA(dialog, 1705, LVM_GETITEMCOUNT, 0, 0));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    RunSearchWindow(menu, driver);
    return timing;
}

struct LiveTiming {
    double firstRows = 0;  // seconds to min(100, all) rows
    double count = 0;      // seconds to the count
    long rows = 0;
};

// Opens the window and types `pattern` into it once the index is warm: the
// search follows the edit.
LiveTiming TimeLiveTyping(IContextMenu* menu, const std::string& pattern, long expected) {
    LiveTiming timing;
    std::thread driver([&] {
        HWND dialog = WaitForWindow();
        if (dialog == nullptr) Fail("no search window");
        HWND status = GetDlgItem(dialog, 1706);
        HWND list = GetDlgItem(dialog, 1705);
        const std::string end = " 個のアイテムが見つかりました";
        const long first = std::min(100L, expected);
        auto start = std::chrono::steady_clock::now();
        SetDlgItemTextA(dialog, 1700, pattern.c_str());
        for (;;) {
            const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const long rows = static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            if (timing.firstRows == 0 && rows >= first) timing.firstRows = now;
            std::string text = WindowText(status);
            if (text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0 &&
                rows == expected) {
                timing.count = now;
                timing.rows = rows;
                break;
            }
            if (now > 60) Fail("the typed search did not end");
            Sleep(1);
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    RunSearchWindow(menu, driver);
    return timing;
}

// Runs `cataloom find` with its output in a file; the seconds and the lines.
Timing TimeFind(const std::string& tool, const std::string& root, const std::string& pattern) {
    const std::string out = root + "-find.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot write the tool's output");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string command = "\"" + tool + "\" find \"" + root + "\" " + pattern;
    PROCESS_INFORMATION process = {};
    auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        Fail("cannot start cataloom.exe");
    WaitForSingleObject(process.hProcess, INFINITE);
    Timing timing;
    timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(file);
    std::ifstream lines(out);
    std::string line;
    while (std::getline(lines, line)) ++timing.rows;
    return timing;
}

}  // namespace

int main() {
    if (GetACP() != 932) Fail("the ANSI code page is not 932");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) Fail("COM");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "cataloom-bench-searcher";
    BuildData(root);

    const std::string folder = ProgramFolder();
    HMODULE library = LoadLibraryA((folder + "Cataloom.dll").c_str());
    if (library == nullptr) Fail("cannot load Cataloom.dll");
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DllRegisterServer")));
    auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DllGetClassObject")));
    if (registerServer == nullptr || getClassObject == nullptr || FAILED(registerServer())) Fail("registration");
    cataloom::SettingsStore().SetDataRoot(root.c_str());
    IClassFactory* factory = nullptr;
    IContextMenu* menu = nullptr;
    if (FAILED(getClassObject(cataloom::kClsidSearchMenu, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu))))
        Fail("no search menu");
    factory->Release();

    const std::string tool = folder + "cataloom.exe";
    int status = 0;
    for (const char* pattern : {"hit", "rare"}) {
        std::vector<double> window, find, walk;
        Timing last, lastFind;
        for (int run = 0; run < kRuns; ++run) {
            walk.push_back(TimeWalk(root, pattern).seconds);
            last = TimeWindowSearch(menu, pattern);
            window.push_back(last.seconds);
            lastFind = TimeFind(tool, root, pattern);
            find.push_back(lastFind.seconds);
        }
        std::printf("pattern %-4s: window %ld rows, count shown in %.0f ms (median of %d); "
                    "cataloom find %ld lines in %.0f ms (%.2fx)\n",
                    pattern, last.rows, Median(window) * 1000, kRuns, lastFind.rows, Median(find) * 1000,
                    Median(window) / Median(find));
        std::printf("              the core's walk alone on a thread of this process: %.0f ms\n", Median(walk) * 1000);
        if (last.rows != lastFind.rows) status = 1;
        std::vector<double> first, count;
        for (int run = 0; run < kRuns; ++run) {
            const LiveTiming live = TimeLiveTyping(menu, pattern, last.rows);
            first.push_back(live.firstRows);
            count.push_back(live.count);
        }
        std::printf("              typed with the index warm: first %ld rows in %.0f ms, the count in %.0f ms "
                    "(targets < 100 ms, < 500 ms)\n",
                    std::min(100L, last.rows), Median(first) * 1000, Median(count) * 1000);
    }
    menu->Release();
    CoUninitialize();
    return status;
}
