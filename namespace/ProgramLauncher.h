// Every program or shell object the library starts (an explorer window on a
// namespace location, a folder opened outside a view) goes through here, so
// tests can record what would be started instead of starting it.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace cataloom {

// Starts what `info` describes; false when it could not be started.
using ProgramLauncher = bool (*)(SHELLEXECUTEINFOW* info);

// Replaces the launcher; null restores ShellExecuteExW.  For test programs.
void InstallProgramLauncher(ProgramLauncher launcher) noexcept;
// Starts `info` through the installed launcher (cbSize is filled in).
bool LaunchProgram(SHELLEXECUTEINFOW* info) noexcept;

}  // namespace cataloom
