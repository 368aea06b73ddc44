#include "tools/SearcherMenu.h"

#include <new>

#include "namespace/ComResult.h"
#include "namespace/ShellUtil.h"
#include "platform/win32/MenuItems.h"
#include "resources/CataloomResource.h"
#include "tools/Searcher.h"

namespace cataloom {

IUnknown* CreateSearcherMenu() { return static_cast<IContextMenu*>(new (std::nothrow) SearcherMenu()); }

STDMETHODIMP SearcherMenu::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) noexcept {
    if (menu == nullptr) return E_INVALIDARG;
    if ((flags & (CMF_DEFAULTONLY | CMF_VERBSONLY)) != 0 || first > last) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    char text[64];
    if (!LoadResourceText(IDS_SEARCH_MENU_TEXT, text, sizeof text)) return E_FAIL;
    MENUITEMINFOA item = menu::StringItem(first, text);
    if (!InsertMenuItemA(menu, index, TRUE, &item)) return E_FAIL;
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

STDMETHODIMP SearcherMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    if (info == nullptr || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    if (!IS_INTRESOURCE(info->lpVerb)) return E_NOTIMPL;  // no verb names
    if (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0) return S_OK;
    return ComFirewall([&] { return OpenSearcherWindow(info->hwnd, ""); });
}

STDMETHODIMP SearcherMenu::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) noexcept { return E_NOTIMPL; }

}  // namespace cataloom
