#include "core/CatalogPath.h"

#include "core/PathUtil.h"

#include <climits>
#include <cstring>

namespace cataloom {

int AppendCatalogName(char* buffer, int length, std::size_t capacity, const char* name) {
    if (buffer == nullptr || name == nullptr || length < 0) return -1;
    std::size_t used = static_cast<std::size_t>(length);
    std::size_t added = std::strlen(name);
    if (used + 1 + added + 1 > capacity || used + 1 + added > static_cast<std::size_t>(INT_MAX)) return -1;
    buffer[used] = '\\';
    std::memcpy(buffer + used + 1, name, added + 1);
    return static_cast<int>(used + 1 + added);
}

const char* BelowCatalogRoot(const char* path) {
    if (path == nullptr) return "";
    const char* separator = text::FindChar(path, '\\');
    return separator != nullptr ? separator : path + std::strlen(path);
}

}  // namespace cataloom
