// A drag of the selected categories and catalogues out of a view of the
// data folder or of a category (LVN_BEGINDRAG): the selection's data object,
// the drop source, the system's drag loop, and after a move the shell told
// that the items left this folder.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace cataloom {

class FolderView;
class ItemList;

class ItemDrag {
public:
    // Drags the rows of `items` that are selected, in `view`; the effect
    // the drag ended with (DROPEFFECT_NONE when nothing moved).
    static DWORD Run(FolderView& view, const ItemList& items, HWND owner) noexcept;
};

}  // namespace cataloom
