// Stands in for a program the library starts: writes the arguments it was
// given (as CommandLineToArgvW reads them, without its own name), each
// ended by a zero, in UTF-16 to its own path + ".N.args" with N the first
// free number from 1, so that every start leaves a record, whole or none.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return 1;
    std::wstring record;
    for (int i = 1; i < count; ++i) record.append(arguments[i]).push_back(L'\0');
    LocalFree(arguments);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring partial = std::wstring(self) + L"." + std::to_wstring(GetCurrentProcessId()) + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
                                 nullptr);
    CloseHandle(file);
    if (!wrote) return 1;
    for (int n = 1; n < 1000; ++n)
        if (MoveFileExW(partial.c_str(), (std::wstring(self) + L"." + std::to_wstring(n) + L".args").c_str(), 0))
            return 0;
    return 1;
}
