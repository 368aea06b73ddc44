// How the rest of the library reaches the property sheets.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace cataloom {

// Makes the folders (and the property page class) hand out the property
// sheet extension: called when the library loads, and by test programs.
void InstallPropertySheets() noexcept;

// Adds the options page to a sheet through `add`, as the folder view's
// AddPropertySheetPages does.  The sheet keeps what the page needs alive
// until it destroys the page.  E_FAIL when `add` refused the page.
HRESULT AddOptionsPage(LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept;

}  // namespace cataloom
