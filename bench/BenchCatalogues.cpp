#include "bench/BenchCatalogues.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/core/CatalogBuilder.h"

namespace cataloom::bench {

void Fail(const char* what) {
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(1);
}

std::string Category(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "category%02d", index);
    return name;
}

std::string DataFolderPath(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "cataloom-" + name + "-" + std::to_string(GetCurrentProcessId());
}

void RegisterBuiltLibrary() {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string library = std::string(program).substr(0, std::string(program).find_last_of('\\') + 1) + "Cataloom.dll";
    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) Fail("Cataloom.dll not found beside the program");
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
    if (registerServer == nullptr || registerServer() != S_OK) Fail("registration failed");
}

void BuildData(const std::string& root) {
    CreateDirectoryA(root.c_str(), nullptr);
    for (int c = 0; c < kCategories; ++c) {
        std::string folder = root + "\\" + Category(c);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < kCataloguesPerCategory; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "disc%04d", c * kCataloguesPerCategory + i);
            CatalogHeader header = test::MakeHeader(name, static_cast<std::uint32_t>(i));
            std::vector<test::TreeDirectory> tree(2);
            tree[0].entries = {test::Dir("data", 0), test::File("readme.txt", 100)};
            tree[1].name = "data";
            tree[1].entries = {test::File("a.bin", 1000), test::File("b.bin", 2000)};
            if (!test::WriteCatalog(folder + "\\" + name + ".vmf", header, tree)) Fail("cannot write a catalogue");
        }
    }
    std::string big = root + "\\big";
    CreateDirectoryA(big.c_str(), nullptr);
    CatalogHeader header = test::MakeHeader("big");
    std::vector<test::TreeDirectory> tree(3);
    tree[0].entries = {test::Dir("huge", 0), test::Dir("mixed", 0)};
    tree[1].name = "huge";
    tree[2].name = "mixed";
    tree[1].entries.reserve(kBigDirectoryEntries);
    tree[2].entries.reserve(kBigDirectoryEntries);
    for (int i = 0; i < kBigDirectoryEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file%06d.dat", i);
        tree[1].entries.push_back(test::File(name, static_cast<std::uint64_t>(i) * 10));
        std::snprintf(name, sizeof name, "entry%06d", i);
        tree[2].entries.push_back(i % 10 == 0 ? test::Dir(name) : test::File(name, static_cast<std::uint64_t>(i)));
    }
    if (!test::WriteCatalog(big + "\\big.vmf", header, tree)) Fail("cannot write the big catalogue");
}

void RemoveData(const std::string& root) {
    std::string from = root + '\0';  // the list ends with a second zero
    SHFILEOPSTRUCTA removal = {};
    removal.wFunc = FO_DELETE;
    removal.pFrom = from.c_str();
    removal.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&removal);
}

}  // namespace cataloom::bench
