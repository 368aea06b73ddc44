#include "namespace/ContainedPath.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "core/MovePayload.h"
#include "core/PathUtil.h"
#include "namespace/UniqueHandle.h"

namespace cataloom {
namespace {

// The path the system resolves for an existing file or folder, links
// followed ("\\?\C:\..."); empty when it cannot be opened.
std::string FinalPath(const char* path) {
    // Opening for no access reads neither data nor attributes; a folder
    // needs the backup flag to be opened at all.
    UniqueHandle handle(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsValid()) return {};
    std::string final(kMaxPath, '\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleA(handle.Get(), &final[0], static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < final.size()) {
            final.resize(length);
            break;
        }
        final.resize(length + 1);  // the size needed, with its terminator
    }
    while (final.size() > 3 && final.back() == '\\') final.pop_back();
    return final;
}

// No component of `path` after the `rootLength` bytes of the data folder is
// a reparse point.
bool PassesNoReparsePoint(const char* path, std::size_t rootLength) {
    std::string prefix(path);
    for (std::size_t end = rootLength; end <= prefix.size();) {
        // `end` is a separator or the end of the path: the prefix up to it
        // names one component more.
        if (end > rootLength) {
            const DWORD attributes = GetFileAttributesA(prefix.substr(0, end).c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
                return false;
        }
        if (end == prefix.size()) break;
        const char* next = text::FindChar(prefix.c_str() + end + 1, '\\');
        end = next != nullptr ? static_cast<std::size_t>(next - prefix.c_str()) : prefix.size();
    }
    return true;
}

}  // namespace

bool IsContainedPath(const char* dataRoot, const char* path) {
    if (dataRoot == nullptr || path == nullptr || dataRoot[0] == '\0') return false;
    char root[kMaxPath];
    char target[kMaxPath];
    if (text::CopyTruncated(root, sizeof root, dataRoot) != std::strlen(dataRoot) ||
        text::CopyTruncated(target, sizeof target, path) != std::strlen(path))
        return false;
    if (!path::IsRoot(root)) path::RemoveBackslash(root);
    if (!path::IsRoot(target)) path::RemoveBackslash(target);
    const bool isRoot = platform::CompareNoCase(root, target) == 0;
    if (!isRoot && !move_rules::IsInside(root, target)) return false;
    const std::size_t rootLength = std::strlen(root);
    if (!isRoot && !PassesNoReparsePoint(target, path::EndsWithBackslash(root) ? rootLength - 1 : rootLength))
        return false;
    const std::string finalRoot = FinalPath(root);
    const std::string finalTarget = FinalPath(target);
    if (finalRoot.empty() || finalTarget.empty()) return false;
    if (isRoot) return platform::CompareNoCase(finalRoot.c_str(), finalTarget.c_str()) == 0;
    return path::RelativeTo(finalRoot.c_str(), finalTarget.c_str()) != nullptr;
}

}  // namespace cataloom
