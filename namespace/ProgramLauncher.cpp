#include "namespace/ProgramLauncher.h"

namespace cataloom {
namespace {

bool ShellLaunch(SHELLEXECUTEINFOW* info) { return ShellExecuteExW(info) != FALSE; }

// Set by a test program before any window exists; read on the window threads.
ProgramLauncher g_launcher = ShellLaunch;

}  // namespace

void InstallProgramLauncher(ProgramLauncher launcher) noexcept { g_launcher = launcher ? launcher : ShellLaunch; }

bool LaunchProgram(SHELLEXECUTEINFOW* info) noexcept {
    if (info == nullptr) return false;
    info->cbSize = sizeof *info;
    return g_launcher(info);
}

}  // namespace cataloom
