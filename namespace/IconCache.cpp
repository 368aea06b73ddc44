#include "namespace/IconCache.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "core/PathUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {
namespace {

HIMAGELIST SystemList(UINT sizeFlag) {
    SHFILEINFOA info = {};
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
        "", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | sizeFlag));
}

int FolderIndex(UINT openFlag) {
    SHFILEINFOA info = {};
    if (SHGetFileInfoA("aaa", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | openFlag) == 0)
        return -1;
    return info.iIcon;
}

void AnnounceImage(int index, UINT flush) {
    SHChangeNotify(SHCNE_UPDATEIMAGE, SHCNF_DWORD, reinterpret_cast<LPCVOID>(static_cast<INT_PTR>(index)), nullptr);
    SHChangeNotify(0, flush, nullptr, nullptr);
}

}  // namespace

IconCache::IconCache(HINSTANCE instance) noexcept
    : large_(SystemList(0)),
      small_(SystemList(SHGFI_SMALLICON)),
      closedFolder_(FolderIndex(0)),
      openFolder_(FolderIndex(SHGFI_OPENICON)) {
    if (large_ == nullptr || small_ == nullptr) return;
    removableDrive_ = AddResourceIcon(instance, IDI_DRIVE_REMOVABLE);
    fixedDrive_ = AddResourceIcon(instance, IDI_DRIVE_FIXED);
    networkDrive_ = AddResourceIcon(instance, IDI_DRIVE_NETWORK);
    cdRomDrive_ = AddResourceIcon(instance, IDI_DRIVE_CDROM);
    ramDisk_ = AddResourceIcon(instance, IDI_DRIVE_FIXED);
}

IconCache::~IconCache() {
    // The icons stay in the system lists: removing one would shift the
    // index of every icon added after it, ours and the shell's alike.
    // Views are only told to drop what they drew from these indices.
    if (locations_.empty()) return;
    for (const auto& location : locations_)
        SHChangeNotify(SHCNE_UPDATEIMAGE, SHCNF_DWORD,
                       reinterpret_cast<LPCVOID>(static_cast<INT_PTR>(location.second)), nullptr);
    SHChangeNotify(0, SHCNF_FLUSH, nullptr, nullptr);
}

int IconCache::AddResourceIcon(HINSTANCE instance, int id) noexcept {
    auto icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), 0));
    if (icon == nullptr) return -1;
    int index = ImageList_ReplaceIcon(large_, -1, icon);
    ImageList_ReplaceIcon(small_, -1, icon);
    DestroyIcon(icon);
    return index;
}

HICON IconCache::LargeIcon(int index) const noexcept { return ImageList_GetIcon(large_, index, ILD_TRANSPARENT); }

int IconCache::MediaIcon(DWORD driveType) const noexcept {
    switch (driveType) {
    case DRIVE_NO_ROOT_DIR: return openFolder_;
    case DRIVE_REMOVABLE: return removableDrive_;
    case DRIVE_FIXED: return fixedDrive_;
    case DRIVE_REMOTE: return networkDrive_;
    case DRIVE_CDROM: return cdRomDrive_;
    case DRIVE_RAMDISK: return ramDisk_;
    default: return closedFolder_;
    }
}

int IconCache::AddIconLocation(const char* location) {
    if (location == nullptr || location[0] == '\0') return -1;
    auto known = locations_.find(location);
    if (known != locations_.end() && known->second != 0) return known->second;

    char file[kMaxPath];
    text::CopyTruncated(file, sizeof file, location);
    int iconIndex = path::SplitNumberSuffix(file);
    HICON large = nullptr;
    HICON small = nullptr;
    if (ExtractIconExA(file, iconIndex, &large, &small, 1) == 0 || large == nullptr || small == nullptr) {
        if (large != nullptr) DestroyIcon(large);
        if (small != nullptr) DestroyIcon(small);
        locations_.erase(location);
        return -1;
    }
    int largeIndex = ImageList_ReplaceIcon(large_, -1, large);
    int smallIndex = ImageList_ReplaceIcon(small_, -1, small);
    DestroyIcon(large);
    DestroyIcon(small);
    if (largeIndex < 0 || largeIndex != smallIndex) {
        locations_.erase(location);
        return -1;
    }
    locations_[location] = largeIndex;
    AnnounceImage(largeIndex, SHCNF_FLUSHNOWAIT);
    return largeIndex;
}

}  // namespace cataloom
