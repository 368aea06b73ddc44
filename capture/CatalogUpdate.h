// The update command: captures a volume again into the catalogue that holds
// it, keeping that catalogue's name, file and category.  Only catalogue
// files with the magic count; when several carry the volume's serial
// number, the user is asked before the first one found is replaced.
#pragma once

#include <windows.h>

#include <cstddef>

namespace cataloom {

// Runs the update of `source` with its progress window owned by `owner`.
// `written` (kMaxPath bytes) receives the replaced catalogue's path when the
// capture succeeded, and is empty otherwise.  E_INVALIDARG after an error
// message; S_OK once a capture ran or the user chose not to replace.
HRESULT UpdateCatalog(HWND owner, const char* source, char* written) noexcept;

}  // namespace cataloom
