#include "namespace/ProgramLauncher.h"

namespace cataloom {
namespace {

bool ShellLaunch(SHELLEXECUTEINFOW* info) { return ShellExecuteExW(info) != FALSE; }

// With no children given, the list names the one item to select.
HRESULT ShellOpenFolder(PCIDLIST_ABSOLUTE item) { return SHOpenFolderAndSelectItems(item, 0, nullptr, 0); }

// Set by a test program before any window exists; read on the window threads.
ProgramLauncher g_launcher = ShellLaunch;
FolderOpener g_opener = ShellOpenFolder;

}  // namespace

void InstallProgramLauncher(ProgramLauncher launcher) noexcept { g_launcher = launcher ? launcher : ShellLaunch; }

void InstallFolderOpener(FolderOpener opener) noexcept { g_opener = opener ? opener : ShellOpenFolder; }

bool LaunchProgram(SHELLEXECUTEINFOW* info) noexcept {
    if (info == nullptr) return false;
    info->cbSize = sizeof *info;
    return g_launcher(info);
}

HRESULT OpenFolderSelecting(PCIDLIST_ABSOLUTE item) noexcept {
    if (item == nullptr || ILIsEmpty(item)) return E_INVALIDARG;
    return g_opener(item);
}

}  // namespace cataloom
