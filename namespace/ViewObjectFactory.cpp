#include "namespace/ViewObjectFactory.h"

namespace cataloom {
namespace {
ViewObjectFactory g_factory = nullptr;
}

void InstallViewObjectFactory(ViewObjectFactory factory) noexcept { g_factory = factory; }

HRESULT CreateViewObjectOf(CatalogFolder& folder, HWND owner, REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return g_factory != nullptr ? g_factory(folder, owner, iid, out) : E_NOINTERFACE;
}

}  // namespace cataloom
