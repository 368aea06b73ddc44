#include "namespace/SearcherOpener.h"

#include "namespace/ComResult.h"

namespace cataloom {
namespace {

// Installed under the loader lock before any menu exists; read-only after.
SearcherOpener g_opener = nullptr;

}  // namespace

void InstallSearcherOpener(SearcherOpener opener) noexcept { g_opener = opener; }

HRESULT OpenSearcher(HWND owner, const char* location) noexcept {
    if (g_opener == nullptr) return E_FAIL;
    return ComFirewall([&] { return g_opener(owner, location != nullptr ? location : ""); });
}

}  // namespace cataloom
