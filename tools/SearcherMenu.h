// The search menu CLSID's object: one item "検索(&F)..." that opens the
// search window over the whole namespace.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "namespace/ComObject.h"

namespace cataloom {

class SearcherMenu final : public ComObject<SearcherMenu, IContextMenu, IShellExtInit> {
public:
    SearcherMenu() noexcept = default;

    // IShellExtInit: the search needs nothing from the selection.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) noexcept override { return S_OK; }

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT capacity) noexcept override;
};

IUnknown* CreateSearcherMenu();

}  // namespace cataloom
