#include "tools/Searcher.h"

#include "settings/ClassIds.h"
#include "namespace/ComResult.h"
#include "namespace/SearcherOpener.h"
#include "namespace/ServerClasses.h"
#include "tools/SearcherDialog.h"
#include "tools/SearcherMenu.h"

namespace cataloom {

HRESULT OpenSearcherWindow(HWND owner, const char* location) noexcept {
    return ComFirewall([&] {
        SearcherDialog dialog(location);
        dialog.Run(owner);
        return S_OK;
    });
}

void InstallSearcher() noexcept {
    InstallServerClass(kClsidSearchMenu, CreateSearcherMenu);
    InstallSearcherOpener(OpenSearcherWindow);
}

}  // namespace cataloom
