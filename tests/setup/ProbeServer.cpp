// A stand-in registration library for the setup tests: each export appends
// its name to "<library path>.log" and fails when the library's file name
// contains "fail".
#include <windows.h>

#include <cstring>

namespace {
HMODULE g_self = nullptr;

HRESULT Record(const char* exportName) {
    char path[MAX_PATH + 8] = {};
    GetModuleFileNameA(g_self, path, MAX_PATH);
    const bool failing = std::strstr(path, "fail") != nullptr;
    std::strcat(path, ".log");
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(log, exportName, static_cast<DWORD>(std::strlen(exportName)), &written, nullptr);
        WriteFile(log, "\n", 1, &written, nullptr);
        CloseHandle(log);
    }
    return failing ? E_FAIL : S_OK;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}

STDAPI DllRegisterServer() { return Record("DllRegisterServer"); }
STDAPI DllUnregisterServer() { return Record("DllUnregisterServer"); }
