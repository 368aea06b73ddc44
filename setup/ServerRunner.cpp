#include "setup/ServerRunner.h"

#include <windows.h>

#include "core/PathUtil.h"

namespace cataloom {

namespace {
using RegistrationExport = HRESULT(WINAPI*)();

bool RunOne(const std::string& library, const char* exportName) {
    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) return false;
    // Through the generic function type, the one cast the compiler accepts silently.
    auto function = reinterpret_cast<RegistrationExport>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, exportName)));
    if (function == nullptr) return false;
    return SUCCEEDED(function());
}
}  // namespace

std::vector<std::string> RunServers(const std::vector<std::string>& libraries, SetupMode mode) {
    const char* exportName = mode == SetupMode::kRegister ? "DllRegisterServer" : "DllUnregisterServer";
    std::vector<std::string> failed;
    for (const std::string& library : libraries) {
        if (!RunOne(library, exportName)) failed.push_back(path::LastComponent(library.c_str()));
    }
    return failed;
}

}  // namespace cataloom
