// Plugs the search window into the library below it when the library (or a
// test program) starts: the search menu CLSID's object and the opener the
// item menu of the view calls.
#pragma once

#include <windows.h>

namespace cataloom {

void InstallSearcher() noexcept;

// Runs the search window modally over `owner` on `location` (a namespace
// address; empty for the whole namespace) and returns when it has closed
// and its search has ended.
HRESULT OpenSearcherWindow(HWND owner, const char* location) noexcept;

}  // namespace cataloom
