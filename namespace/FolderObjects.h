// The folder hands out objects of the layers above it (the property sheet
// extension today) without including those layers: each layer installs the
// constructor of its object, by interface, when the library loads (and a
// test program when it starts).
#pragma once

#include <windows.h>

#include "core/ItemId.h"

namespace cataloom {

class CatalogFolder;

// Builds the object for `folder` (null for an object of the class factory)
// and `count` items (none for the folder's own object), asked for `iid`.
using FolderObjectConstructor = HRESULT (*)(CatalogFolder* folder, HWND owner, UINT count,
                                            const ItemId* const* items, REFIID iid, void** out);

// Installs the constructor for objects asked for by `iid`, replacing an
// earlier one; null removes it.  False when the table is full.
bool InstallFolderObject(REFIID iid, FolderObjectConstructor constructor) noexcept;
// The installed constructor's object; E_NOINTERFACE when none is installed.
HRESULT CreateFolderObject(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID iid,
                           void** out) noexcept;

}  // namespace cataloom
