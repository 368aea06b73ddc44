// Every program or shell object the library starts (a folder window on a
// namespace location, our own browser) goes through here, so tests can
// record what would be started instead of starting it.  Text from a
// catalogue never becomes command-line syntax: a location is opened by its
// identifier list, and an argument that must be passed as text is quoted by
// QuoteArgument (core/CommandLine.h).
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace cataloom {

// Starts what `info` describes; false when it could not be started.
using ProgramLauncher = bool (*)(SHELLEXECUTEINFOW* info);
// Opens the folder holding `item` (an absolute list) with the item selected.
using FolderOpener = HRESULT (*)(PCIDLIST_ABSOLUTE item);

// Replace the launcher and the opener; null restores the system's own
// (ShellExecuteExW, SHOpenFolderAndSelectItems).  For test programs.
void InstallProgramLauncher(ProgramLauncher launcher) noexcept;
void InstallFolderOpener(FolderOpener opener) noexcept;

// Starts `info` through the installed launcher (cbSize is filled in).
bool LaunchProgram(SHELLEXECUTEINFOW* info) noexcept;
// Opens `item`'s folder with it selected through the installed opener.
HRESULT OpenFolderSelecting(PCIDLIST_ABSOLUTE item) noexcept;

}  // namespace cataloom
