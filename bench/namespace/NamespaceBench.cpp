// Enumeration speed of the namespace through the desktop folder: a data
// folder of 1,000 catalogues in 20 categories, and a catalogue whose one
// directory holds 100,000 entries.  Each case is timed three ways:
//   shell   - through SHGetDesktopFolder, the folder served by Cataloom.dll;
//   direct  - our folder objects called directly, no shell or COM activation;
//   system  - only the system calls that work needs (directory search and
//             header reads, or the entry list read and the identifier
//             allocations), without our code.
// The shell/COM share is (shell - direct) / shell, the system's share is
// system / shell, and our own code is what remains.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "bench/BenchCatalogues.h"
#include "namespace/CatalogFolder.h"
#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "settings/SettingsStore.h"

namespace cataloom::bench {
namespace {

constexpr int kRuns = 9;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Timings {
    double shell, direct, system;
};

// Medians of the three ways, run in turn so that drift in the system's file
// cache touches all three alike.
Timings Measure(const std::function<void()>& shell, const std::function<void()>& direct,
                const std::function<void()>& system) {
    std::vector<double> times[3];
    for (int i = 0; i < kRuns; ++i) {
        times[0].push_back(Seconds(shell));
        times[1].push_back(Seconds(direct));
        times[2].push_back(Seconds(system));
    }
    double medians[3];
    for (int k = 0; k < 3; ++k) {
        std::sort(times[k].begin(), times[k].end());
        medians[k] = times[k][times[k].size() / 2];
    }
    return {medians[0], medians[1], medians[2]};
}

// Enumerates everything of a folder, freeing each item; the count.
std::size_t EnumerateAll(IShellFolder* folder) {
    ComPtr<IEnumIDList> enumerator;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.Put()) != S_OK) return 0;
    std::size_t count = 0;
    PITEMID_CHILD items[64];
    ULONG fetched = 0;
    while (SUCCEEDED(enumerator->Next(64, items, &fetched)) && fetched > 0) {
        for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(items[i]);
        count += fetched;
    }
    return count;
}

// The data folder's levels: the root and every category, bound from the root.
std::size_t EnumerateDataFolder(IShellFolder* root) {
    std::size_t count = 0;
    ComPtr<IEnumIDList> enumerator;
    if (root->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.Put()) != S_OK) return 0;
    PITEMID_CHILD item = nullptr;
    while (enumerator->Next(1, &item, nullptr) == S_OK) {
        ++count;
        ComPtr<IShellFolder> category;
        if (SUCCEEDED(root->BindToObject(item, nullptr, IID_IShellFolder, category.PutVoid())))
            count += EnumerateAll(category.Get());
        CoTaskMemFree(item);
    }
    return count;
}

ITEMIDLIST* Parse(IShellFolder* desktop, const std::string& rest) {
    std::string name = std::string(kFolderParsingName) + (rest.empty() ? "" : "\\" + rest);
    std::wstring wide(name.begin(), name.end());
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr))) Fail("parse failed");
    return list;
}

ComPtr<IShellFolder> BindFromDesktop(IShellFolder* desktop, const std::string& rest) {
    ITEMIDLIST* list = Parse(desktop, rest);
    ComPtr<IShellFolder> folder;
    HRESULT hr = desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid());
    CoTaskMemFree(list);
    if (FAILED(hr)) Fail("bind failed");
    return folder;
}

// Our folder objects without the shell: a top folder initialised with the
// list the desktop gave, bound down with our own BindToObject.
ComPtr<IShellFolder> DirectFolder(IShellFolder* desktop, const std::string& rest) {
    ITEMIDLIST* rootList = Parse(desktop, "");
    ComPtr<IShellFolder> top;
    *top.Put() = new CatalogFolder(nullptr, "");
    static_cast<CatalogFolder*>(top.Get())->Initialize(rootList);
    CoTaskMemFree(rootList);
    if (rest.empty()) return top;
    std::wstring wide(rest.begin(), rest.end());
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(top->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr))) Fail("direct parse");
    ComPtr<IShellFolder> folder;
    HRESULT hr = top->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid());
    CoTaskMemFree(list);
    if (FAILED(hr)) Fail("direct bind");
    return folder;
}

// The system calls behind a data folder enumeration.
std::size_t SystemDataFolder(const std::string& root) {
    std::size_t count = 0;
    auto list = [&](const std::string& folder, bool descend) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return std::vector<std::string>();
        std::vector<std::string> folders;
        do {
            if (found.cFileName[0] == '.') continue;
            ++count;
            std::string path = folder + "\\" + found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                if (descend) folders.push_back(path);
                continue;
            }
            HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            char header[kHeaderSize];
            DWORD read = 0;
            ReadFile(file, header, sizeof header, &read, nullptr);
            CloseHandle(file);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return folders;
    };
    for (const std::string& folder : list(root, true)) list(folder, false);
    return count;
}

// The system calls behind the big directory: its entry list read in one
// piece, one identifier and one handed-out copy allocated and freed per entry.
std::size_t SystemBigDirectory(const std::string& file, std::uint64_t offset, std::uint32_t size) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<char> list(size);
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
    DWORD read = 0;
    ReadFile(handle, list.data(), size, &read, nullptr);
    CloseHandle(handle);
    std::vector<void*> ids(kBigDirectoryEntries);
    for (void*& id : ids) id = CoTaskMemAlloc(64);
    for (void* id : ids) {
        void* copy = CoTaskMemAlloc(64);
        std::memcpy(copy, id, 64);
        CoTaskMemFree(copy);
    }
    for (void* id : ids) CoTaskMemFree(id);
    return read;
}

void Report(const char* what, const Timings& t) {
    const double shell = t.shell, direct = t.direct, system = t.system;
    std::printf("%-44s shell %8.1f ms   direct %8.1f ms   system calls %8.1f ms\n", what, shell * 1e3, direct * 1e3,
                system * 1e3);
    std::printf("%-44s shell/COM layer %4.0f%%   system %4.0f%%   our code %4.0f%%\n", "", 100 * (shell - direct) / shell,
                100 * system / shell, 100 * (direct - system) / shell);
}

int Run() {
    std::string data = DataFolderPath("bench");
    std::printf("building %d catalogues in %d categories and one of %d entries in %s\n",
                kCategories * kCataloguesPerCategory, kCategories, kBigDirectoryEntries, data.c_str());
    BuildData(data);

    RegisterBuiltLibrary();
    ProcessObjects::Settings().SetDataRoot(data.c_str());

    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) Fail("no desktop folder");

    // The data folder: the root and every category.
    std::size_t items = 0;
    double shellCold = Seconds([&] { items = EnumerateDataFolder(BindFromDesktop(desktop.Get(), "").Get()); });
    if (items != kCategories * (kCataloguesPerCategory + 1) + 2) Fail("data folder item count");
    Timings folder = Measure([&] { EnumerateDataFolder(BindFromDesktop(desktop.Get(), "").Get()); },
                             [&] { EnumerateDataFolder(DirectFolder(desktop.Get(), "").Get()); },
                             [&] { SystemDataFolder(data); });
    std::printf("\n%zu items; first pass through the shell %.1f ms\n", items, shellCold * 1e3);
    Report("data folder (root + 20 categories, 1,000 .vmf)", folder);

    // The big directory: parse, bind, enumerate everything.
    const std::string bigPath = kBigDirectory;
    double bigCold = Seconds([&] { items = EnumerateAll(BindFromDesktop(desktop.Get(), bigPath).Get()); });
    if (items != kBigDirectoryEntries) Fail("big directory item count");
    CatalogReader& reader = ProcessObjects::Reader();
    std::string bigFile = data + "\\big\\big.vmf";
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    if (FAILED(reader.Open(bigFile.c_str())) || !reader.FindDirectory("big\\huge", &offset, &size)) Fail("lookup");
    Timings big = Measure([&] { EnumerateAll(BindFromDesktop(desktop.Get(), bigPath).Get()); },
                          [&] { EnumerateAll(DirectFolder(desktop.Get(), bigPath).Get()); },
                          [&] { SystemBigDirectory(bigFile, offset, size); });
    std::printf("\n%zu entries; first bind and enumeration through the shell %.1f ms (table loaded)\n", items,
                bigCold * 1e3);
    Report("bind + enumerate a directory of 100,000", big);
    bool fast = std::max(bigCold, big.shell) < 1.0;
    std::printf("\n100,000 entries enumerate in under a second: %s\n", fast ? "yes" : "NO");

    ProcessObjects::Settings().SetDataRoot("");
    RemoveData(data);
    return fast ? 0 : 1;
}

}  // namespace
}  // namespace cataloom::bench

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    if (!cataloom::ProcessObjects::Create(GetModuleHandleA(nullptr))) return 1;
    int status = cataloom::bench::Run();
    cataloom::ProcessObjects::Destroy();
    CoUninitialize();
    return status;
}
