#include "core/MovePayload.h"

#include <cstring>

#include "core/PathUtil.h"

namespace cataloom {
namespace {

constexpr std::size_t kListOffset = 0;
constexpr std::size_t kCursorX = 4;
constexpr std::size_t kCursorY = 8;
constexpr std::size_t kNonClient = 12;
constexpr std::size_t kWideFlag = 16;
constexpr std::size_t kMaxPathUnits = kMaxPath - 1;

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Splits the list at `at` (units of type Unit, little-endian) into paths;
// false unless every path and the final zero lie before `end`.
template <class Unit, class Text>
bool SplitList(const std::uint8_t* at, const std::uint8_t* end, std::vector<Text>& paths) {
    Text current;
    for (; static_cast<std::size_t>(end - at) >= sizeof(Unit); at += sizeof(Unit)) {
        Unit unit = 0;
        for (std::size_t i = 0; i < sizeof(Unit); ++i) unit = static_cast<Unit>(unit | (Unit(at[i]) << (8 * i)));
        if (unit != 0) {
            if (current.size() == kMaxPathUnits) return false;
            current.push_back(static_cast<typename Text::value_type>(unit));
            continue;
        }
        if (current.empty()) return !paths.empty();  // the list's final zero
        paths.push_back(std::move(current));
        current.clear();
    }
    return false;
}

// A copy of `path` without a trailing separator (a root keeps its own).
bool CopyFolder(char* out, const char* path) {
    if (path == nullptr || std::strlen(path) >= kMaxPath) return false;
    std::strcpy(out, path);
    if (!path::IsRoot(out)) path::RemoveBackslash(out);
    return out[0] != '\0';
}

}  // namespace

std::vector<std::uint8_t> MovePayload::Build(const std::vector<std::string>& paths, std::int32_t x, std::int32_t y) {
    std::size_t size = kHeaderSize + 1;
    for (const std::string& path : paths) {
        if (path.empty()) return {};
        size += path.size() + 1;
    }
    if (paths.empty()) return {};
    std::vector<std::uint8_t> block(size, 0);
    Put32(block, kListOffset, static_cast<std::uint32_t>(kHeaderSize));
    Put32(block, kCursorX, static_cast<std::uint32_t>(x));
    Put32(block, kCursorY, static_cast<std::uint32_t>(y));
    Put32(block, kNonClient, 1);
    Put32(block, kWideFlag, 0);
    std::size_t at = kHeaderSize;
    for (const std::string& path : paths) {
        std::memcpy(block.data() + at, path.data(), path.size());
        at += path.size() + 1;  // the zero is there already
    }
    return block;
}

bool MovePayload::Parse(const std::uint8_t* bytes, std::size_t size) {
    paths_.clear();
    widePaths_.clear();
    wide_ = false;
    if (bytes == nullptr || size < kHeaderSize) return false;
    const std::uint32_t offset = Get32(bytes + kListOffset);
    if (offset < kHeaderSize || offset >= size) return false;
    wide_ = Get32(bytes + kWideFlag) != 0;
    const bool sound = wide_ ? SplitList<std::uint16_t>(bytes + offset, bytes + size, widePaths_)
                             : SplitList<std::uint8_t>(bytes + offset, bytes + size, paths_);
    if (!sound) {
        paths_.clear();
        widePaths_.clear();
    }
    return sound;
}

namespace move_rules {

bool IsInside(const char* dataRoot, const char* path) {
    if (path == nullptr || std::strlen(path) >= kMaxPath) return false;
    const char* below = path::RelativeTo(dataRoot, path);
    if (below == nullptr) return false;
    char component[kMaxPath];
    const char* cursor = below;
    for (;;) {
        const char* start = cursor;
        while (*cursor != '\0' && *cursor != '\\') cursor = text::Next(cursor);
        const std::size_t length = static_cast<std::size_t>(cursor - start);
        std::memcpy(component, start, length);
        component[length] = '\0';
        if (!path::IsPlainName(component)) return false;  // also an empty one: "a\\b", "a\"
        if (*cursor == '\0') return true;
        ++cursor;
    }
}

bool ChangesPlace(const char* source, const char* destination) {
    char from[kMaxPath];
    char to[kMaxPath];
    char holder[kMaxPath];
    if (!CopyFolder(from, source) || !CopyFolder(to, destination)) return false;
    std::strcpy(holder, from);
    if (!path::RemoveLastComponent(holder)) return false;
    if (!path::IsRoot(holder)) path::RemoveBackslash(holder);
    if (platform::CompareNoCase(holder, to) == 0) return false;  // already there
    if (platform::CompareNoCase(from, to) == 0) return false;    // onto itself
    return path::RelativeTo(from, to) == nullptr;                // not into itself
}

}  // namespace move_rules
}  // namespace cataloom
