// The context menu handler of drives and directories: "vmf を作成..." on
// every one, "vmf を更新..." on drive and share roots.  Creating asks for
// the catalogue's name and captures into the data folder; updating captures
// again into the volume's catalogue.  Either way the written catalogue is
// announced to the shell and to the open views.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/PathUtil.h"
#include "namespace/ComObject.h"

namespace cataloom {

class DriveContextMenu final : public ComObject<DriveContextMenu, IContextMenu, IShellExtInit> {
public:
    DriveContextMenu() noexcept = default;

    // IShellExtInit: the first name of the selection's CF_HDROP.  S_OK also
    // without one: the menu then creates nothing it could capture.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY key) noexcept override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT capacity) noexcept override;

private:
    HRESULT Create(HWND owner);
    HRESULT Update(HWND owner);

    char source_[kMaxPath] = {};
};

// The capture menu CLSID's object, for the class table.
IUnknown* CreateDriveContextMenu();

}  // namespace cataloom
