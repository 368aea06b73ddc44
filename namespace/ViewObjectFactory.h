// The folder hands out objects of the view layer above it (its folder view)
// without including that layer: the view layer installs its constructor once
// when the library loads (and a test program when it starts).
#pragma once

#include <windows.h>

namespace cataloom {

class CatalogFolder;

using ViewObjectFactory = HRESULT (*)(CatalogFolder& folder, HWND owner, REFIID iid, void** out);

void InstallViewObjectFactory(ViewObjectFactory factory) noexcept;
// The installed factory's object; E_NOINTERFACE when none is installed.
HRESULT CreateViewObjectOf(CatalogFolder& folder, HWND owner, REFIID iid, void** out) noexcept;

}  // namespace cataloom
