// The item menu of the view layer opens the search window of the tools
// layer; neither includes the other.  The tools layer installs its opener
// when the library loads.
#pragma once

#include <windows.h>

namespace cataloom {

// Runs the search window modally over `owner`, searching `location` (a
// namespace address in the ANSI code page; empty for the whole namespace).
using SearcherOpener = HRESULT (*)(HWND owner, const char* location);

// Installs the opener; null removes it.
void InstallSearcherOpener(SearcherOpener opener) noexcept;
// Runs the installed opener; E_FAIL when none is installed.
HRESULT OpenSearcher(HWND owner, const char* location) noexcept;

}  // namespace cataloom
