#include "tools/CategoryPage.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>

#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "resources/CataloomResource.h"
#include "tools/ChangeIconDialog.h"

namespace cataloom {
namespace {

HICON ExtractLargeIcon(const char* file, int index) {
    HICON large = nullptr;
    return ExtractIconExA(file, index, &large, nullptr, 1) == 1 ? large : nullptr;
}

}  // namespace

CategoryPage::CategoryPage(IUnknown* owner, CatalogFolder* folder, const ItemId* item) noexcept
    : SheetPage(owner, IDD_CATEGORY_PAGE, IDS_CATEGORY_PAGE_TITLE), folder_(folder), item_(item) {}

BOOL CategoryPage::OnInit(HWND page) {
    SetDlgItemTextA(page, IDC_CATEGORY_NAME, ItemIdFactory::CategoryName(item_));
    // The icon as the shell would show it: the chosen file's, or one of the
    // folder icons of the cache.
    ComPtr<IExtractIconA> extractor;
    PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(item_);
    if (FAILED(folder_->GetUIObjectOf(page, 1, &child, IID_IExtractIconA, nullptr, extractor.PutVoid()))) return TRUE;
    char file[kMaxPath] = {};
    int index = 0;
    UINT flags = 0;
    if (FAILED(extractor->GetIconLocation(0, file, sizeof file, &index, &flags))) return TRUE;
    if ((flags & GIL_NOTFILENAME) != 0) {
        ShowIcon(page, ProcessObjects::Icons().LargeIcon(index));
    } else {
        text::CopyTruncated(iconFile_, sizeof iconFile_, file);
        iconIndex_ = index;
        ShowIcon(page, ExtractLargeIcon(iconFile_, iconIndex_));
    }
    return TRUE;
}

void CategoryPage::ShowIcon(HWND page, HICON icon) noexcept {
    SendDlgItemMessageA(page, IDC_CATEGORY_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    icon_.Reset(icon);  // after the control let go of the old one
}

INT_PTR CategoryPage::OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_CATEGORY_CHANGE_ICON && HIWORD(wParam) == BN_CLICKED) {
        ChangeIcon(page);
        return TRUE;
    }
    return FALSE;
}

void CategoryPage::ChangeIcon(HWND page) {
    ChangeIconDialog dialog(iconFile_, true);
    if (dialog.Run(page) != IDOK) return;
    text::CopyTruncated(iconFile_, sizeof iconFile_, dialog.File());
    iconIndex_ = dialog.Index();
    changed_ = true;
    ShowIcon(page, ExtractLargeIcon(iconFile_, iconIndex_));
    MarkChanged(page);
}

bool CategoryPage::OnApply(HWND) {
    // Only a chosen icon is written: an apply without one would store an
    // empty location and take the category's icon away.
    if (!changed_ || iconFile_[0] == '\0') return true;
    char ini[kMaxPath];
    if (folder_->FileSystemPath(item_, ini, sizeof ini) < 0 || !path::Append(ini, "category.ini")) return true;
    char location[2 * kMaxPath];
    std::snprintf(location, sizeof location, "%s,%d", iconFile_, iconIndex_);
    WritePrivateProfileStringA("Cataloom", "Icon", location, ini);
    changed_ = false;
    const ItemId* items[] = {item_};
    folder_->RefreshItems(items, 1);
    return true;
}

}  // namespace cataloom
