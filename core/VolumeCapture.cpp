#include "core/VolumeCapture.h"

#include "core/PathUtil.h"

#include <cstring>

namespace cataloom {
namespace {

constexpr std::size_t kNameCapacity = kMaxCatalogNameLength + 1;

bool IsDriveOrNetworkForm(const char* path) {
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
    return drive || (path[0] == '\\' && path[1] == '\\');
}

}  // namespace

void ChooseCatalogName(const char* source, std::uint32_t driveType, const char* label, char* name) {
    char work[kMaxPath];
    if (!path::IsRoot(source)) {
        text::CopyTruncated(work, sizeof(work), path::LastComponent(source));
        path::RemoveBackslash(work);
        text::CopyTruncated(name, kNameCapacity, work);
        return;
    }
    if (driveType == platform::kDriveRemote && std::strlen(source) >= 2) {
        text::CopyTruncated(work, sizeof(work), source + 2);
        path::RemoveBackslash(work);
        path::ReplaceInvalidChars(work, '_');
        text::CopyTruncated(name, kNameCapacity, work);
        return;
    }
    text::CopyTruncated(name, kNameCapacity, label);
}

bool VolumeCapture(const char* source, CatalogHeader* header) {
    if (source == nullptr || header == nullptr || *source == '\0' || std::strlen(source) >= kMaxPath)
        return false;
    CatalogHeader h;
    std::memset(&h, 0, sizeof(h));
    std::memcpy(h.magic, "!vmf", 4);
    h.rootHasFolders = path::HasSubdirectories(source) ? 1 : 0;
    h.driveType = platform::DriveTypeOf(source);
    h.captureTime = platform::CurrentTime();

    char root[kMaxPath];
    std::strcpy(root, source);
    if (IsDriveOrNetworkForm(root) && !path::IsRoot(root) && !path::ReduceToRoot(root)) return false;
    if (!path::AddBackslash(root)) return false;
    platform::VolumeInfo volume;
    if (!platform::GetVolumeInfo(root, volume)) return false;
    h.serial = volume.serial;
    text::CopyTruncated(h.fileSystem, sizeof(h.fileSystem), volume.fileSystem);
    ChooseCatalogName(source, h.driveType, volume.label, h.name);

    h.tableSize = 0;
    h.tableOffset = kHeaderSize;
    // Both stay 0 when the system cannot tell; the capture still goes on.
    platform::GetDiskSpace(source, h.totalBytes, h.freeBytes);
    *header = h;
    return true;
}

}  // namespace cataloom
