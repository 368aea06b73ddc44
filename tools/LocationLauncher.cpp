#include "tools/LocationLauncher.h"

#include <shellapi.h>

#include <string>

#include "core/CommandLine.h"
#include "core/PathUtil.h"
#include "namespace/ModulePath.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ProgramLauncher.h"
#include "namespace/ShellUtil.h"

namespace cataloom {
namespace {

constexpr char kBrowserProgram[] = "CataloomBrowser.exe";

// Workaround: Wine's explorer (8.0) turns a "::{CLSID}\..." location into a
// file path and cannot open a namespace location, so under Wine the item is
// shown in our own browser when it is installed beside the library.  Wine
// is recognised by the export its ntdll has and Windows' has not.
bool RunsOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

bool OpenItemLocation(HWND owner, PCIDLIST_ABSOLUTE item) noexcept {
    try {
        char folder[MAX_PATH];
        if (!GetModuleFolder(ProcessObjects::Instance(), folder, sizeof folder)) folder[0] = '\0';
        const std::string browser = std::string(folder) + kBrowserProgram;
        if (!RunsOnWine() || folder[0] == '\0' || !path::Exists(browser.c_str()))
            return SUCCEEDED(OpenFolderSelecting(item));
        const std::wstring name = ItemDisplayName(item, SHGDN_FORPARSING);
        if (name.empty()) return false;
        const std::wstring program = AnsiToWide(browser.c_str());
        const std::wstring parameters = QuoteArgument(L"/select," + name);
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = L"open";
        info.lpFile = program.c_str();
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        return LaunchProgram(&info);
    } catch (...) {
        return false;
    }
}

}  // namespace cataloom
