// The detail columns of the namespace's two listings: categories and
// catalogues at the data folder's levels, directories and files inside a
// catalogue.  A column's code is what the view passes to CompareIDs in the
// low 16 bits of the sort parameter.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/ItemId.h"

namespace cataloom {

enum ColumnCode : WORD {
    kColumnLabel = 1,
    kColumnTotal = 2,
    kColumnFree = 3,
    kColumnSerial = 4,
    kColumnCaptured = 5,
    kColumnName = 0x10,
    kColumnSize = 0x20,
    kColumnType = 0x30,
    kColumnModified = 0x40,
};

struct ColumnInfo {
    UINT headerText;  // string table id
    WORD code;
    bool rightAligned;
    int defaultWidth;
};

enum class Listing { kMedia, kEntry };

class ItemColumns {
public:
    static constexpr std::size_t kMediaColumnCount = 5;
    static constexpr std::size_t kEntryColumnCount = 4;
    static constexpr UINT kUnknownTimeText = 43;  // "（不明）"

    static std::size_t Count(Listing listing) noexcept;
    static const ColumnInfo& Column(Listing listing, std::size_t position) noexcept;

    // The text of a column other than the first (which is the display name):
    // sizes in kilobytes, the serial in hexadecimal, times as local dates.  A
    // category shows nothing beyond its name, a directory no size.
    static void Text(Listing listing, std::size_t position, const ItemId* item, char* buffer,
                     std::size_t capacity) noexcept;

    // The system's type name for an entry's name and kind; empty if unknown.
    static void TypeName(const ItemId* entry, char* buffer, std::size_t capacity) noexcept;
    // ((size - 1) div 1000) + 1 with thousands separators and "KB"; 0 for 0.
    static void Kilobytes(std::uint64_t size, char* buffer, std::size_t capacity) noexcept;
    // "%04d/%02d/%02d %02d:%02d" in local time; the unknown text for 0.
    static void Date(std::uint64_t fileTime, char* buffer, std::size_t capacity) noexcept;
    // Inserts "," between groups of three digits; when the result does not
    // fit, leaves the text alone and returns the length it needs.
    static std::size_t GroupThousands(char* text, std::size_t capacity) noexcept;
};

}  // namespace cataloom
