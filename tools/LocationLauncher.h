// Opens the folder holding a namespace item with the item selected.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace cataloom {

// Shows `item` (an absolute identifier list) selected in its folder: the
// shell opens the list itself (no command line is built from the item's
// names).  Where the shell's own window cannot show a namespace location
// (Wine), CataloomBrowser.exe beside the library is started instead with the
// item's parsing name as its one quoted /select, argument.  `owner` owns
// what starts.
bool OpenItemLocation(HWND owner, PCIDLIST_ABSOLUTE item) noexcept;

}  // namespace cataloom
