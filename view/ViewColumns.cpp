#include "view/ViewColumns.h"

#include <commctrl.h>

#include <algorithm>

#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "settings/SettingsStore.h"

namespace cataloom {

bool ViewColumns::Insert(HWND list, Listing listing) noexcept {
    const std::size_t count = ItemColumns::Count(listing);
    std::int32_t widths[SettingsStore::kBrowserColumnCount];
    const SettingsStore& settings = ProcessObjects::Settings();
    if (listing == Listing::kMedia) {
        std::copy_n(SettingsStore::kDefaultBrowserColumns, count, widths);
        settings.GetBrowserColumns(widths, count);
    } else {
        std::copy_n(SettingsStore::kDefaultViewerColumns, count, widths);
        settings.GetViewerColumns(widths, count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const ColumnInfo& info = ItemColumns::Column(listing, i);
        char header[64];
        LoadResourceText(info.headerText, header, sizeof header);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = info.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = widths[i];
        column.pszText = header;
        column.iSubItem = static_cast<int>(i);
        if (SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column)) != static_cast<LRESULT>(i))
            return false;
    }
    return true;
}

void ViewColumns::Store(HWND list, std::uint16_t folderKind) noexcept {
    std::int32_t widths[SettingsStore::kBrowserColumnCount];
    const bool category = folderKind == kKindCategory;
    if (!category && folderKind != kKindMedia && folderKind != kKindEntry) return;
    const std::size_t count = category ? SettingsStore::kBrowserColumnCount : SettingsStore::kViewerColumnCount;
    for (std::size_t i = 0; i < count; ++i)
        widths[i] = static_cast<std::int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    SettingsStore& settings = ProcessObjects::Settings();
    if (category) {
        settings.SetBrowserColumns(widths, count);
    } else {
        settings.SetViewerColumns(widths, count);
    }
}

}  // namespace cataloom
