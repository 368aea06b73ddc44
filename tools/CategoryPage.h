// The page of one category: its icon and name, and the icon's change
// through the change-icon dialog, saved in the category's category.ini.
#pragma once

#include <windows.h>

#include "core/ItemId.h"
#include "core/PathUtil.h"
#include "tools/GdiHandles.h"
#include "tools/SheetPage.h"

namespace cataloom {

class CatalogFolder;

class CategoryPage final : public SheetPage {
public:
    // `item` in `folder`, both kept alive by the owner.
    CategoryPage(IUnknown* owner, CatalogFolder* folder, const ItemId* item) noexcept;

private:
    BOOL OnInit(HWND page) override;
    bool OnApply(HWND page) override;
    INT_PTR OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) override;

    void ChangeIcon(HWND page);
    void ShowIcon(HWND page, HICON icon) noexcept;

    CatalogFolder* folder_;
    const ItemId* item_;
    char iconFile_[kMaxPath] = {};  // empty while the category shows the folder icon
    int iconIndex_ = 0;
    bool changed_ = false;          // an icon was chosen in the dialog
    OwnedIcon icon_;
};

}  // namespace cataloom
