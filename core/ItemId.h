// The item identifier records that name categories, catalogues and the
// directories and files inside a catalogue.  The layout matches the shell's
// SHITEMID (a size word, then data), so a shell identifier list can be read
// as a sequence of ItemIds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cataloom {

struct ItemId {
    std::uint16_t size;
    std::uint8_t data[1];
};

enum ItemKind : std::uint16_t {
    kKindNone = 0,
    kKindCategory = 2,
    kKindMedia = 3,
    kKindEntry = 4,
};

namespace itemid {
enum Offset : std::size_t {
    kKind = 2,
    kFlags = 4,
    kSerial = 8,
    kSize = 12,
    kFree = 20,
    kTime = 28,
    kWriteTime = 36,
    kName = 44,
};
constexpr std::size_t kFixedSize = 47;  // fixed fields plus the name terminators' room
constexpr std::uint32_t kHasFoldersFlag = 0x10000;
// Attribute bits an entry identifier keeps.
constexpr std::uint32_t kEntryAttributeMask = 0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x80 | 0x100;
}  // namespace itemid

}  // namespace cataloom
