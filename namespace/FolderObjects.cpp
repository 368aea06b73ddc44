#include "namespace/FolderObjects.h"

#include "namespace/ComResult.h"

namespace cataloom {
namespace {

struct Entry {
    IID iid;
    FolderObjectConstructor constructor;
};

// Filled under the loader lock before any folder exists; read-only after.
constexpr int kCapacity = 8;
Entry g_entries[kCapacity] = {};

}  // namespace

bool InstallFolderObject(REFIID iid, FolderObjectConstructor constructor) noexcept {
    Entry* free = nullptr;
    for (Entry& entry : g_entries) {
        if (entry.constructor != nullptr && IsEqualIID(entry.iid, iid)) {
            entry.constructor = constructor;
            return true;
        }
        if (entry.constructor == nullptr && free == nullptr) free = &entry;
    }
    if (constructor == nullptr) return true;
    if (free == nullptr) return false;
    *free = {iid, constructor};
    return true;
}

HRESULT CreateFolderObject(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID iid,
                           void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (count != 0 && items == nullptr) return E_INVALIDARG;
    for (const Entry& entry : g_entries) {
        if (entry.constructor != nullptr && IsEqualIID(entry.iid, iid))
            return ComFirewall([&] { return entry.constructor(folder, owner, count, items, iid, out); });
    }
    return E_NOINTERFACE;
}

}  // namespace cataloom
