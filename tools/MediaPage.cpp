#include "tools/MediaPage.h"

#include <cstdio>
#include <cstring>

#include "core/CatalogReader.h"
#include "core/DisplayText.h"
#include "namespace/ShellUtil.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "resources/CataloomResource.h"
#include "tools/PageTexts.h"
#include "tools/UsageChart.h"

namespace cataloom {
namespace {

// A fixed-size text field of the header, terminated however the file
// left it.
std::string FieldText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

MediaPage::MediaPage(IUnknown* owner, const char* path) noexcept
    : SheetPage(owner, IDD_MEDIA_PAGE, IDS_MEDIA_PAGE_TITLE),
      usedBrush_(CreateSolidBrush(kUsedColour)),
      freeBrush_(CreateSolidBrush(kFreeColour)) {
    text::CopyTruncated(path_, sizeof path_, path);
}

BOOL MediaPage::OnInit(HWND page) {
    SendDlgItemMessageA(page, IDC_MEDIA_NAME, EM_LIMITTEXT, kMaxCatalogNameLength, 0);
    CatalogHeader header;
    // An unreadable or foreign file leaves the page empty.
    loaded_ = ReadHeader(path_, &header) && IsCatalogHeader(&header);
    if (!loaded_) return TRUE;

    SetDlgItemTextA(page, IDC_MEDIA_NAME, FieldText(header.name, kMaxCatalogNameLength).c_str());
    SetDlgItemTextA(page, IDC_MEDIA_TYPE, DriveTypeText(header.driveType));
    IconCache& icons = ProcessObjects::Icons();
    icon_.Reset(icons.LargeIcon(icons.MediaIcon(header.driveType)));
    SendDlgItemMessageA(page, IDC_MEDIA_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
    SetDlgItemTextA(page, IDC_MEDIA_FILE_SYSTEM, FieldText(header.fileSystem, sizeof header.fileSystem).c_str());
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08lX", static_cast<unsigned long>(header.serial));
    SetDlgItemTextA(page, IDC_MEDIA_SERIAL, serial);
    SetDlgItemTextA(page, IDC_MEDIA_CONTENTS, CountsText(header.fileCount, header.directoryCount).c_str());
    // More free space than the capacity is a damaged header, not a wrap.
    const std::uint64_t used = header.freeBytes < header.totalBytes ? header.totalBytes - header.freeBytes : 0;
    SetDlgItemTextA(page, IDC_MEDIA_CAPACITY, ByteText(header.totalBytes).c_str());
    SetDlgItemTextA(page, IDC_MEDIA_FREE, ByteText(header.freeBytes).c_str());
    SetDlgItemTextA(page, IDC_MEDIA_USED, ByteText(used).c_str());
    SetDlgItemTextA(page, IDC_MEDIA_CAPTURED, FullTimeText(header.captureTime).c_str());
    chart_.Reset(UsageChart::Draw(GetDlgItem(page, IDC_MEDIA_CHART),
                                  UsageChart::Percent(header.totalBytes, header.freeBytes), kUsedColour, kFreeColour));
    SendDlgItemMessageA(page, IDC_MEDIA_CHART, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(chart_.Get()));
    editing_ = true;
    return TRUE;
}

INT_PTR MediaPage::OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id == IDC_MEDIA_USED_SWATCH) return reinterpret_cast<INT_PTR>(usedBrush_.Get());
        if (id == IDC_MEDIA_FREE_SWATCH) return reinterpret_cast<INT_PTR>(freeBrush_.Get());
        return FALSE;
    }
    case WM_COMMAND:
        if (editing_ && LOWORD(wParam) == IDC_MEDIA_NAME && HIWORD(wParam) == EN_CHANGE) MarkChanged(page);
        return FALSE;
    default:
        return FALSE;
    }
}

bool MediaPage::OnApply(HWND page) {
    if (!loaded_) return true;
    // Room for more than the box allows, so that nothing is cut silently.
    char name[4 * (kMaxCatalogNameLength + 1)] = {};
    GetDlgItemTextA(page, IDC_MEDIA_NAME, name, sizeof name);
    if (name[0] == '\0') return true;  // an empty name is not saved
    return Rename(page, name);
}

bool MediaPage::Rename(HWND page, const char* name) {
    // The name is the catalogue's root directory: every path inside the
    // catalogue starts with it and is split at its backslashes.
    if (std::strlen(name) > kMaxCatalogNameLength || !path::IsPlainName(name)) {
        ShowLibraryMessage(page, IDS_BAD_FILE_NAME, MB_OK | MB_ICONWARNING);
        return false;
    }
    CatalogHeader header;
    if (!ReadHeader(path_, &header) || !IsCatalogHeader(&header)) return true;
    if (FieldText(header.name, kMaxCatalogNameLength) == name) return true;
    const CatalogHeader before = header;
    std::memset(header.name, 0, sizeof header.name);
    std::memcpy(header.name, name, std::strlen(name));
    // The shared reader may hold this very file.
    ProcessObjects::Reader().Release();
    if (!ReplaceHeader(path_, &header, platform::StoredToUtf8(name).c_str())) {
        ShowLibraryMessage(page, IDS_CANNOT_OPEN_FILE, MB_OK | MB_ICONWARNING);
        return false;
    }
    AnnounceCatalog(path_, CatalogChange::kReplaced, &before);
    return true;
}

}  // namespace cataloom
