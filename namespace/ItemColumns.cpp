#include "namespace/ItemColumns.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/EntryNames.h"
#include "namespace/ShellUtil.h"
#include "platform/Platform.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr ColumnInfo kMediaColumns[ItemColumns::kMediaColumnCount] = {
    {21, kColumnLabel, false, 100},   // "ラベル"
    {22, kColumnTotal, true, 100},    // "合計サイズ"
    {23, kColumnFree, true, 100},     // "空き領域"
    {24, kColumnSerial, true, 80},    // "シリアルID"
    {25, kColumnCaptured, false, 120} // "取得日時"
};
constexpr ColumnInfo kEntryColumns[ItemColumns::kEntryColumnCount] = {
    {26, kColumnName, false, 200},    // "名前"
    {27, kColumnSize, true, 100},     // "サイズ"
    {28, kColumnType, false, 100},    // "ファイルの種類"
    {29, kColumnModified, false, 150} // "更新日時"
};

}  // namespace

std::size_t ItemColumns::Count(Listing listing) noexcept {
    return listing == Listing::kMedia ? kMediaColumnCount : kEntryColumnCount;
}

const ColumnInfo& ItemColumns::Column(Listing listing, std::size_t position) noexcept {
    std::size_t last = Count(listing) - 1;
    if (position > last) position = last;
    return listing == Listing::kMedia ? kMediaColumns[position] : kEntryColumns[position];
}

void ItemColumns::Text(Listing listing, std::size_t position, const ItemId* item, char* buffer,
                       std::size_t capacity) noexcept {
    if (buffer == nullptr || capacity == 0) return;
    buffer[0] = '\0';
    switch (Column(listing, position).code) {
    case kColumnTotal:
        if (Ids::Kind(item) == kKindMedia) Kilobytes(Ids::MediaTotal(item), buffer, capacity);
        break;
    case kColumnFree:
        if (Ids::Kind(item) == kKindMedia) Kilobytes(Ids::MediaFree(item), buffer, capacity);
        break;
    case kColumnSerial:
        if (Ids::Kind(item) == kKindMedia)
            std::snprintf(buffer, capacity, "%08lX", static_cast<unsigned long>(Ids::MediaSerial(item)));
        break;
    case kColumnCaptured:
        if (Ids::Kind(item) == kKindMedia) Date(Ids::MediaCaptureTime(item), buffer, capacity);
        break;
    case kColumnSize:
        if (Ids::Kind(item) == kKindEntry && !Ids::EntryIsDirectory(item))
            Kilobytes(Ids::EntrySize(item), buffer, capacity);
        break;
    case kColumnType:
        TypeName(item, buffer, capacity);
        break;
    case kColumnModified:
        if (Ids::Kind(item) == kKindEntry) Date(Ids::EntryWriteTime(item), buffer, capacity);
        break;
    default:  // the first column is the display name, which the folder gives
        break;
    }
}

void ItemColumns::TypeName(const ItemId* entry, char* buffer, std::size_t capacity) noexcept {
    if (buffer == nullptr || capacity == 0) return;
    buffer[0] = '\0';
    if (Ids::Kind(entry) != kKindEntry) return;
    SHFILEINFOA info = {};
    DWORD attributes = Ids::EntryIsDirectory(entry) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (SHGetFileInfoA(EntryTypeProbe(entry).c_str(), attributes, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) == 0)
        return;
    text::CopyTruncated(buffer, capacity, info.szTypeName);
}

void ItemColumns::Kilobytes(std::uint64_t size, char* buffer, std::size_t capacity) noexcept {
    if (buffer == nullptr || capacity == 0) return;
    // One kilobyte is 1000 bytes and any part of one counts as a whole.
    // In 64 bits: a 32-bit count would wrap above 4.29 TB.
    std::uint64_t kilobytes = size == 0 ? 0 : (size - 1) / 1000 + 1;
    char number[32];
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(kilobytes));
    GroupThousands(number, sizeof number);
    std::snprintf(buffer, capacity, "%sKB", number);
}

void ItemColumns::Date(std::uint64_t fileTime, char* buffer, std::size_t capacity) noexcept {
    if (buffer == nullptr || capacity == 0) return;
    buffer[0] = '\0';
    platform::LocalTime local{};
    if (fileTime == 0 || !platform::ToLocalTime(fileTime, local)) {
        LoadResourceText(kUnknownTimeText, buffer, static_cast<int>(capacity));
        return;
    }
    std::snprintf(buffer, capacity, "%04d/%02d/%02d %02d:%02d", local.year, local.month, local.day, local.hour,
                  local.minute);
}

std::size_t ItemColumns::GroupThousands(char* text, std::size_t capacity) noexcept {
    if (text == nullptr) return 0;
    std::size_t digits = std::strlen(text);
    std::size_t length = digits + (digits > 0 ? (digits - 1) / 3 : 0);
    if (length + 1 > capacity) return length + 1;
    text[length] = '\0';
    // From the right: copy digits backwards, a comma after every third.
    std::size_t from = digits;
    std::size_t to = length;
    for (std::size_t count = 0; from > 0; ++count) {
        if (count > 0 && count % 3 == 0) text[--to] = ',';
        text[--to] = text[--from];
    }
    return length;
}

}  // namespace cataloom
