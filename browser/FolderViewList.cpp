#include "browser/FolderViewList.h"

namespace cataloom {

HWND FindFolderViewList(HWND top) {
    HWND view = nullptr;
    EnumChildWindows(
        top,
        [](HWND window, LPARAM found) -> BOOL {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            if (lstrcmpA(name, "CataloomNameSpaceView") != 0) return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&view));
    return view != nullptr ? GetDlgItem(view, 2000) : nullptr;
}

}  // namespace cataloom
