#include "namespace/ModulePath.h"

#include "core/PathUtil.h"

namespace cataloom {

bool GetModulePath(HMODULE module, char* path, std::size_t size) noexcept {
    if (path == nullptr || size == 0) return false;
    const DWORD length = GetModuleFileNameA(module, path, static_cast<DWORD>(size));
    // A full buffer means the path was cut.
    return length != 0 && length < size;
}

bool GetModuleFolder(HMODULE module, char* folder, std::size_t size) noexcept {
    // The trailing backslash stays.
    return GetModulePath(module, folder, size) && path::RemoveLastComponent(folder);
}

}  // namespace cataloom
