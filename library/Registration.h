// DllRegisterServer and DllUnregisterServer: the registry entries of the
// four classes, the .vmf type, the shell's menus and the desktop namespace.
#pragma once

#include <windows.h>

namespace cataloom {

// Writes every entry; the server path is the library's folder joined with
// "Cataloom.dll" whatever name the file was loaded under.  Fails with
// SELFREG_E_CLASS, writing nothing, only when the settings key cannot be
// created or the library's own path cannot be had.
HRESULT RegisterServer(HINSTANCE library) noexcept;

// Removes every entry, then asks whether the settings go too.  The data
// folder is never touched.  Always S_OK.
HRESULT UnregisterServer(HINSTANCE library) noexcept;

}  // namespace cataloom
