#include "platform/win32/ShellFolderPath.h"

#include <windows.h>
#include <shlobj.h>

namespace cataloom::platform {

bool SpecialFolderPath(int csidl, char* out) {
    if (out == nullptr) return false;
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) return false;
    char path[MAX_PATH];
    BOOL ok = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    if (!ok) return false;
    lstrcpynA(out, path, MAX_PATH);
    return true;
}

}  // namespace cataloom::platform
