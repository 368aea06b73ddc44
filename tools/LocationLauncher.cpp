#include "tools/LocationLauncher.h"

#include <shellapi.h>

#include "core/PathUtil.h"
#include "settings/ClassIds.h"
#include "namespace/ModulePath.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ProgramLauncher.h"
#include "namespace/ShellUtil.h"

namespace cataloom {
namespace {

constexpr char kBrowserProgram[] = "CataloomBrowser.exe";

// Workaround: Wine's explorer (8.0) turns a "::{CLSID}\..." argument into a
// file path and cannot open a namespace location, so under Wine the item is
// shown in our own browser when it is installed beside the library.  Wine
// is recognised by the export its ntdll has and Windows' has not.
bool RunsOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

LocationCommand MakeLocationCommand(const std::string& itemPath, const std::string& libraryFolder) {
    const std::string full = std::string(kFolderParsingName) + "\\" + itemPath;
    const std::string browser = libraryFolder + kBrowserProgram;
    if (RunsOnWine() && path::Exists(browser.c_str())) {
        // The name follows the last separator, which `full` always has.
        const char* last = path::LastComponent(full.c_str());
        const std::string name = last;
        const std::string folder = full.substr(0, static_cast<std::size_t>(last - full.c_str()) - 1);
        return {AnsiToWide(browser.c_str()), AnsiToWide(("\"" + folder + "\" \"/select," + name + "\"").c_str())};
    }
    return {L"explorer.exe", AnsiToWide(("/select,\"" + full + "\"").c_str())};
}

bool OpenItemLocation(HWND owner, const std::string& itemPath) noexcept {
    try {
        char folder[MAX_PATH];
        if (!GetModuleFolder(ProcessObjects::Instance(), folder, sizeof folder)) folder[0] = '\0';
        const LocationCommand command = MakeLocationCommand(itemPath, folder);
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = L"open";
        info.lpFile = command.program.c_str();
        info.lpParameters = command.parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        return LaunchProgram(&info);
    } catch (...) {
        return false;
    }
}

}  // namespace cataloom
