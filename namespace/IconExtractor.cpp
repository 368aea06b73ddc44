#include "namespace/IconExtractor.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComResult.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "namespace/EntryNames.h"
#include "namespace/ShellUtil.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

}  // namespace

int EntryIconIndex(const ItemId* entry, bool open) noexcept {
    SHFILEINFOA info = {};
    DWORD attributes = Ids::EntryIsDirectory(entry) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
    if (SHGetFileInfoA(EntryTypeProbe(entry).c_str(), attributes, &info, sizeof info, flags) == 0) return -1;
    return info.iIcon;
}

void ReadCategoryIconLocation(const char* folder, char* location, std::size_t capacity) noexcept {
    location[0] = '\0';
    char ini[kMaxPath];
    if (!path::Combine(ini, folder, "category.ini")) return;
    GetPrivateProfileStringA("Cataloom", "Icon", "", location, static_cast<DWORD>(capacity), ini);
}

IconExtractor::IconExtractor(CatalogFolder* folder, const ItemId* item) noexcept
    : folder_(folder), item_(ProcessObjects::ItemIds().Copy(item)) {
    folder_->AddRef();
}

IconExtractor::~IconExtractor() { folder_->Release(); }

void IconExtractor::ReadCategoryIcon(char* location, std::size_t capacity) const {
    location[0] = '\0';
    char folder[kMaxPath];
    if (folder_->FileSystemPath(item_.Get(), folder, sizeof folder) < 0) return;
    ReadCategoryIconLocation(folder, location, capacity);
}

STDMETHODIMP IconExtractor::GetIconLocation(UINT flags, LPSTR file, UINT capacity, int* index,
                                            UINT* outFlags) noexcept {
    if (index == nullptr || outFlags == nullptr) return E_POINTER;
    if ((flags & GIL_ASYNC) != 0) return E_PENDING;
    *index = 0;
    *outFlags = GIL_NOTFILENAME;
    return ComFirewall([&] { return Locate(flags, file, capacity, index, outFlags); });
}

HRESULT IconExtractor::Locate(UINT flags, LPSTR file, UINT capacity, int* index, UINT* outFlags) {
    IconCache& icons = ProcessObjects::Icons();
    const bool open = (flags & GIL_OPENICON) != 0;
    const ItemId* item = Ids::Last(item_.Get());
    if (!folder_->IsFileSystemLevel()) {
        *index = EntryIconIndex(item, open);
        return S_OK;
    }
    if (Ids::Kind(item) == kKindMedia) {
        *index = icons.MediaIcon(Ids::MediaDriveType(item));
        return S_OK;
    }
    char location[kMaxPath];
    ReadCategoryIcon(location, sizeof location);
    if (location[0] == '\0') {
        *index = icons.CategoryIcon(open);
        return S_OK;
    }
    // The shell extracts from the file itself unless it asked for a list
    // index, or gave no room for the file name.
    if ((flags & GIL_FORSHELL) != 0 || file == nullptr || capacity == 0) {
        *index = icons.AddIconLocation(location);
        return S_OK;
    }
    text::CopyTruncated(file, capacity, location);
    *index = path::SplitNumberSuffix(file);
    *outFlags = 0;
    return S_OK;
}

STDMETHODIMP IconExtractor::GetIconLocation(UINT flags, LPWSTR file, UINT capacity, int* index,
                                            UINT* outFlags) noexcept {
    if (file != nullptr && capacity > 0) file[0] = L'\0';
    char ansi[kMaxPath] = {};
    HRESULT hr = GetIconLocation(flags, ansi, sizeof ansi, index, outFlags);
    if (hr != S_OK || ansi[0] == '\0') return hr;
    return ComFirewall([&] {
        std::wstring wide = AnsiToWide(ansi);
        if (file != nullptr && wide.size() < capacity) {
            std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, file);
            return S_OK;
        }
        // No room for the icon file's name: a list index instead of a cut name.
        *index = ProcessObjects::Icons().AddIconLocation(ansi);
        *outFlags = GIL_NOTFILENAME;
        return S_OK;
    });
}

STDMETHODIMP IconExtractor::Extract(LPCWSTR, UINT index, HICON* large, HICON* small, UINT size) noexcept {
    return Extract(static_cast<LPCSTR>(nullptr), index, large, small, size);
}

STDMETHODIMP IconExtractor::Extract(LPCSTR, UINT index, HICON* large, HICON* small, UINT) noexcept {
    const IconCache& icons = ProcessObjects::Icons();
    if (large != nullptr) *large = ImageList_GetIcon(icons.LargeList(), static_cast<int>(index), ILD_TRANSPARENT);
    if (small != nullptr) *small = ImageList_GetIcon(icons.SmallList(), static_cast<int>(index), ILD_TRANSPARENT);
    return S_OK;
}

}  // namespace cataloom
