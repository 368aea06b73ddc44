// Message boxes of the library: a string-table text, the caption "Cataloom".
#pragma once

#include <windows.h>

namespace cataloom {

// Shows the text `textId` with `icon` (MB_ICONWARNING, ...) and an OK
// button, owned by `owner`; the button the user chose.
int ShowMessage(HWND owner, UINT textId, UINT icon) noexcept;

}  // namespace cataloom
