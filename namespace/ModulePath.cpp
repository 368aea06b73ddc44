#include "namespace/ModulePath.h"

namespace cataloom {

bool GetModulePath(HMODULE module, char* path, std::size_t size) noexcept {
    if (path == nullptr || size == 0) return false;
    const DWORD length = GetModuleFileNameA(module, path, static_cast<DWORD>(size));
    // A full buffer means the path was cut.
    return length != 0 && length < size;
}

int LastBackslash(const char* path) noexcept {
    int last = -1;
    for (const char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') last = static_cast<int>(p - path);
    }
    return last;
}

bool GetModuleFolder(HMODULE module, char* folder, std::size_t size) noexcept {
    if (!GetModulePath(module, folder, size)) return false;
    const int cut = LastBackslash(folder);
    if (cut < 0) return false;
    folder[cut + 1] = '\0';
    return true;
}

}  // namespace cataloom
