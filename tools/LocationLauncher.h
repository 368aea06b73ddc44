// Opens the folder holding a namespace item with the item selected.
#pragma once

#include <windows.h>

#include <string>

namespace cataloom {

// The program and parameters that show `itemPath` (a path below the
// namespace root) selected in its folder: explorer.exe with
// /select,"::{CLSID}\path"; where explorer cannot open a namespace location
// (Wine), CataloomBrowser.exe from `libraryFolder` with the folder and
// /select,NAME.
struct LocationCommand {
    std::wstring program;
    std::wstring parameters;
};
LocationCommand MakeLocationCommand(const std::string& itemPath, const std::string& libraryFolder);

// Starts that command through LaunchProgram, owned by `owner`.
bool OpenItemLocation(HWND owner, const std::string& itemPath) noexcept;

}  // namespace cataloom
