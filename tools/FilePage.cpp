#include "tools/FilePage.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "core/CatalogFile.h"
#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "namespace/CatalogFolder.h"
#include "namespace/EntryNames.h"
#include "namespace/IconCache.h"
#include "namespace/ItemColumns.h"
#include "namespace/ProcessObjects.h"
#include "resources/CataloomResource.h"
#include "tools/PageTexts.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr int kSeveralIcon = 47;  // of shell32.dll

std::string TypeName(const ItemId* entry) {
    char type[80];
    ItemColumns::TypeName(entry, type, sizeof type);
    return type;
}

}  // namespace

FilePage::FilePage(IUnknown* owner, CatalogFolder* folder, std::vector<const ItemId*> entries)
    : SheetPage(owner, IDD_FILE_PAGE, IDS_FILE_PAGE_TITLE), folder_(folder), entries_(std::move(entries)) {}

BOOL FilePage::OnInit(HWND page) {
    ShowIcon(page);
    ShowNameAndType(page);
    ShowPlace(page);
    ShowSize(page);
    ShowTimes(page);
    ShowAttributes(page);
    return TRUE;
}

void FilePage::ShowIcon(HWND page) {
    if (Several()) {
        char shell32[kMaxPath] = {};
        UINT length = GetSystemDirectoryA(shell32, sizeof shell32);
        HICON icon = nullptr;
        if (length > 0 && length < sizeof shell32 && path::Append(shell32, "shell32.dll"))
            ExtractIconExA(shell32, kSeveralIcon, &icon, nullptr, 1);
        icon_.Reset(icon);
    } else {
        // The system's icon for a file or folder of that name.
        const ItemId* entry = entries_[0];
        SHFILEINFOA info = {};
        DWORD attributes = Ids::EntryIsDirectory(entry) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        if (SHGetFileInfoA(EntryTypeProbe(entry).c_str(), attributes, &info, sizeof info,
                           SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES) != 0)
            icon_.Reset(ProcessObjects::Icons().LargeIcon(info.iIcon));
    }
    SendDlgItemMessageA(page, IDC_FILE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
}

void FilePage::ShowNameAndType(HWND page) {
    if (!Several()) {
        SetDlgItemTextA(page, IDC_FILE_NAME, VisibleName(Ids::Name(entries_[0])).c_str());
        SetDlgItemTextA(page, IDC_FILE_TYPE, TypeName(entries_[0]).c_str());
        return;
    }
    std::uint64_t directories = 0;
    const std::string type = TypeName(entries_[0]);
    bool sameType = true;
    for (const ItemId* entry : entries_) {
        directories += Ids::EntryIsDirectory(entry) ? 1 : 0;
        sameType = sameType && TypeName(entry) == type;
    }
    SetDlgItemTextA(page, IDC_FILE_NAME, CountsText(entries_.size() - directories, directories).c_str());
    std::string shown = sameType ? FormatText(IDS_ALL_OF, type) : LoadText(IDS_SEVERAL_TYPES);
    SetDlgItemTextA(page, IDC_FILE_TYPE, shown.c_str());
}

void FilePage::ShowPlace(HWND page) {
    // The folder's path inside the catalogue: the catalogue's name, then
    // the directories.
    char where[kMaxPath] = {};
    if (folder_->CataloguePath(nullptr, where, sizeof where) < 0) where[0] = '\0';
    const char* separator = text::FindChar(where, '\\');
    const char* end = separator != nullptr ? separator : where + std::strlen(where);
    std::string media(static_cast<const char*>(where), end);
    std::string location = separator != nullptr ? std::string(separator) : std::string("\\");
    if (Several()) {
        media = FormatText(IDS_ALL_OF, media);
        location = FormatText(IDS_ALL_OF, location);
    }
    SetDlgItemTextA(page, IDC_FILE_MEDIA, media.c_str());
    SetDlgItemTextA(page, IDC_FILE_LOCATION, location.c_str());
}

void FilePage::ShowSize(HWND page) {
    // A directory whose total was never computed (the capture was stopped
    // during the totals) has no size to show or to add.
    std::uint64_t sum = 0;
    bool known = false;
    bool overflow = false;
    for (const ItemId* entry : entries_) {
        const std::uint64_t size = Ids::EntrySize(entry);
        if (size == kUnknownTotal) continue;
        known = true;
        overflow = overflow || sum + size < sum;
        sum += size;
    }
    std::string text = known && !overflow ? ByteText(sum) : LoadText(ItemColumns::kUnknownTimeText);
    SetDlgItemTextA(page, IDC_FILE_SIZE, text.c_str());
}

void FilePage::ShowTimes(HWND page) {
    if (Several()) {
        for (int id : {IDC_FILE_CREATED_LABEL, IDC_FILE_CREATED, IDC_FILE_MODIFIED_LABEL, IDC_FILE_MODIFIED})
            EnableWindow(GetDlgItem(page, id), FALSE);
        return;
    }
    SetDlgItemTextA(page, IDC_FILE_CREATED, FullTimeText(Ids::EntryCreationTime(entries_[0])).c_str());
    SetDlgItemTextA(page, IDC_FILE_MODIFIED, FullTimeText(Ids::EntryWriteTime(entries_[0])).c_str());
}

void FilePage::ShowAttributes(HWND page) {
    std::uint32_t all = ~0u;
    std::uint32_t any = 0;
    for (const ItemId* entry : entries_) {
        all &= Ids::EntryFlags(entry);
        any |= Ids::EntryFlags(entry);
    }
    const struct {
        int id;
        std::uint32_t bit;
    } boxes[] = {
        {IDC_FILE_READ_ONLY, platform::kAttrReadOnly},
        {IDC_FILE_HIDDEN, platform::kAttrHidden},
        {IDC_FILE_ARCHIVE, platform::kAttrArchive},
        {IDC_FILE_SYSTEM, platform::kAttrSystem},
    };
    for (const auto& box : boxes) {
        UINT state = (all & box.bit) != 0 ? BST_CHECKED : (any & box.bit) != 0 ? BST_INDETERMINATE : BST_UNCHECKED;
        CheckDlgButton(page, box.id, state);
    }
}

}  // namespace cataloom
