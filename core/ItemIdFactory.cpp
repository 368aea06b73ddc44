#include "core/ItemIdFactory.h"

#include "platform/Platform.h"

#include <cstring>

namespace cataloom {
namespace {

const std::uint8_t* Bytes(const ItemId* r) { return reinterpret_cast<const std::uint8_t*>(r); }
std::uint8_t* Bytes(ItemId* r) { return reinterpret_cast<std::uint8_t*>(r); }

constexpr std::size_t kListTail = 3;  // zero size word plus one zero byte

template <typename T>
int Order(T a, T b) { return a < b ? -1 : (a > b ? 1 : 0); }

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

bool IsKind(const ItemId* r, ItemKind kind) { return ItemIdFactory::Kind(r) == kind; }

// A record handed in by the shell may be shorter than its kind's fields: a
// field is read only when the record's size word covers all of it.
bool Covers(const ItemId* r, std::size_t offset, std::size_t width) {
    return !ItemIdFactory::IsEnd(r) && offset + width <= Load16(r);
}

std::uint32_t Field32(const ItemId* r, ItemKind kind, std::size_t offset) {
    return IsKind(r, kind) && Covers(r, offset, 4) ? Load32(Bytes(r) + offset) : 0;
}

std::uint64_t Field64(const ItemId* r, ItemKind kind, std::size_t offset) {
    return IsKind(r, kind) && Covers(r, offset, 8) ? Load64(Bytes(r) + offset) : 0;
}

// True when a string starts at `offset` and ends inside the record.
bool HasString(const ItemId* r, std::size_t offset) {
    return Covers(r, offset, 1) && std::memchr(Bytes(r) + offset, 0, Load16(r) - offset) != nullptr;
}

const char* StringAt(const ItemId* r, std::size_t offset) {
    return HasString(r, offset) ? reinterpret_cast<const char*>(Bytes(r) + offset) : "";
}

}  // namespace

ItemId* ItemIdFactory::Allocate(std::size_t stringBytes, ItemKind kind) const {
    std::size_t size = (stringBytes + itemid::kFixedSize + 3) & ~static_cast<std::size_t>(3);
    if (size > 0xFFFF) return nullptr;
    auto* block = static_cast<std::uint8_t*>(platform::TaskAlloc(size + kListTail));
    if (block == nullptr) return nullptr;
    std::memset(block, 0, size + kListTail);
    Store16(block, static_cast<std::uint16_t>(size));
    Store16(block + itemid::kKind, kind);
    return reinterpret_cast<ItemId*>(block);
}

ItemId* ItemIdFactory::MakeCategory(const char* folderName) const {
    if (folderName == nullptr) return nullptr;
    std::size_t n = std::strlen(folderName);
    ItemId* id = Allocate(n, kKindCategory);
    if (id != nullptr) std::memcpy(Bytes(id) + itemid::kName, folderName, n);
    return id;
}

ItemId* ItemIdFactory::MakeMedia(const char* fileName, const CatalogHeader& header) const {
    if (fileName == nullptr) return nullptr;
    std::size_t n = std::strlen(fileName);
    std::size_t m = strnlen(header.name, sizeof(header.name) - 1);
    ItemId* id = Allocate(n + m, kKindMedia);
    if (id == nullptr) return nullptr;
    std::uint8_t* r = Bytes(id);
    std::uint32_t flags = (header.driveType & 0xFFFF) | (header.rootHasFolders ? itemid::kHasFoldersFlag : 0);
    Store32(r + itemid::kFlags, flags);
    Store32(r + itemid::kSerial, header.serial);
    Store64(r + itemid::kSize, header.totalBytes);
    Store64(r + itemid::kFree, header.freeBytes);
    Store64(r + itemid::kTime, header.captureTime);
    std::memcpy(r + itemid::kName, fileName, n);
    std::memcpy(r + itemid::kName + n + 1, header.name, m);
    return id;
}

ItemId* ItemIdFactory::MakeEntry(const std::uint8_t* entry) const {
    if (entry == nullptr) return nullptr;
    const char* name = EntryRecord::Name(entry);
    std::size_t n = std::strlen(name);
    ItemId* id = Allocate(n, kKindEntry);
    if (id == nullptr) return nullptr;
    std::uint8_t* r = Bytes(id);
    std::uint32_t flags = EntryRecord::Attributes(entry) & itemid::kEntryAttributeMask;
    if (EntryRecord::HasFolders(entry) == 1) flags |= itemid::kHasFoldersFlag;
    Store32(r + itemid::kFlags, flags);
    Store64(r + itemid::kSize, EntryRecord::FileSize(entry));
    Store64(r + itemid::kTime, EntryRecord::CreationTime(entry));
    Store64(r + itemid::kWriteTime, EntryRecord::WriteTime(entry));
    std::memcpy(r + itemid::kName, name, n);
    return id;
}

bool ItemIdFactory::IsEnd(const ItemId* record) { return record == nullptr || Load16(record) == 0; }

const ItemId* ItemIdFactory::Next(const ItemId* record) {
    if (IsEnd(record)) return nullptr;
    return reinterpret_cast<const ItemId*>(Bytes(record) + Load16(record));
}

const ItemId* ItemIdFactory::Last(const ItemId* list) {
    const ItemId* last = nullptr;
    for (const ItemId* r = list; !IsEnd(r); r = Next(r)) last = r;
    return last;
}

std::size_t ItemIdFactory::ListSize(const ItemId* list) {
    if (list == nullptr) return 0;
    std::size_t size = kListTail;
    for (const ItemId* r = list; !IsEnd(r); r = Next(r)) size += Load16(r);
    return size;
}

ItemId* ItemIdFactory::Copy(const ItemId* list) const {
    if (list == nullptr) return nullptr;
    std::size_t size = ListSize(list);
    auto* block = static_cast<std::uint8_t*>(platform::TaskAlloc(size));
    if (block == nullptr) return nullptr;
    std::memcpy(block, list, size - kListTail);
    std::memset(block + size - kListTail, 0, kListTail);
    return reinterpret_cast<ItemId*>(block);
}

ItemId* ItemIdFactory::CopyFirst(const ItemId* list) const {
    if (list == nullptr) return nullptr;
    std::size_t first = IsEnd(list) ? 0 : Load16(list);
    auto* block = static_cast<std::uint8_t*>(platform::TaskAlloc(first + kListTail));
    if (block == nullptr) return nullptr;
    std::memset(block, 0, first + kListTail);
    std::memcpy(block, list, first);
    return reinterpret_cast<ItemId*>(block);
}

ItemId* ItemIdFactory::Join(const ItemId* a, const ItemId* b) const {
    if (a == nullptr) return Copy(b);
    if (b == nullptr) return Copy(a);
    std::size_t sizeA = ListSize(a) - kListTail;
    std::size_t sizeB = ListSize(b);
    auto* block = static_cast<std::uint8_t*>(platform::TaskAlloc(sizeA + sizeB));
    if (block == nullptr) return nullptr;
    std::memcpy(block, a, sizeA);
    std::memcpy(block + sizeA, b, sizeB - kListTail);
    std::memset(block + sizeA + sizeB - kListTail, 0, kListTail);
    return reinterpret_cast<ItemId*>(block);
}

void ItemIdFactory::Free(ItemId* list) const { platform::TaskFree(list); }

ItemId** ItemIdFactory::CopyArray(const ItemId* const* lists, std::size_t count) const {
    if (lists == nullptr) return nullptr;
    auto** array = static_cast<ItemId**>(platform::TaskAlloc(count * sizeof(ItemId*) + 1));
    if (array == nullptr) return nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        array[i] = Copy(lists[i]);
        if (array[i] == nullptr && lists[i] != nullptr) {
            FreeArray(array, i);
            return nullptr;
        }
    }
    return array;
}

void ItemIdFactory::FreeArray(ItemId** lists, std::size_t count) const {
    if (lists == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) Free(lists[i]);
    platform::TaskFree(lists);
}

std::uint16_t ItemIdFactory::Kind(const ItemId* record) {
    return Covers(record, itemid::kKind, 2) ? Load16(Bytes(record) + itemid::kKind) : 0;
}

int ItemIdFactory::CompareKinds(const ItemId* a, const ItemId* b) { return Order(Kind(a), Kind(b)); }

int ItemIdFactory::PathOf(const ItemId* list, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return -1;
    std::size_t length = 0;
    buffer[0] = '\0';
    for (const ItemId* r = list; !IsEnd(r); r = Next(r)) {
        const char* name = Name(r);
        std::size_t n = std::strlen(name);
        std::size_t separator = length > 0 ? 1 : 0;
        if (length + separator + n + 1 > capacity) return -1;
        if (separator) buffer[length++] = '\\';
        std::memcpy(buffer + length, name, n + 1);
        length += n;
    }
    return static_cast<int>(length);
}

const char* ItemIdFactory::Name(const ItemId* record) { return StringAt(record, itemid::kName); }

const char* ItemIdFactory::CategoryName(const ItemId* r) { return IsKind(r, kKindCategory) ? Name(r) : ""; }
const char* ItemIdFactory::MediaFileName(const ItemId* r) { return IsKind(r, kKindMedia) ? Name(r) : ""; }
const char* ItemIdFactory::MediaName(const ItemId* r) {
    if (!IsKind(r, kKindMedia)) return "";
    // A record without a terminated file name has no second string either.
    if (!HasString(r, itemid::kName)) return "";
    return StringAt(r, itemid::kName + std::strlen(Name(r)) + 1);
}
std::uint32_t ItemIdFactory::MediaDriveType(const ItemId* r) {
    return Field32(r, kKindMedia, itemid::kFlags) & 0xFFFF;
}
std::uint32_t ItemIdFactory::MediaHasFolders(const ItemId* r) {
    return Field32(r, kKindMedia, itemid::kFlags) & 0xFFFF0000u;
}
std::uint32_t ItemIdFactory::MediaSerial(const ItemId* r) { return Field32(r, kKindMedia, itemid::kSerial); }
std::uint64_t ItemIdFactory::MediaTotal(const ItemId* r) { return Field64(r, kKindMedia, itemid::kSize); }
std::uint64_t ItemIdFactory::MediaFree(const ItemId* r) { return Field64(r, kKindMedia, itemid::kFree); }
std::uint64_t ItemIdFactory::MediaCaptureTime(const ItemId* r) { return Field64(r, kKindMedia, itemid::kTime); }
std::uint32_t ItemIdFactory::EntryFlags(const ItemId* r) { return Field32(r, kKindEntry, itemid::kFlags); }
bool ItemIdFactory::EntryIsDirectory(const ItemId* r) { return (EntryFlags(r) & 0x10) != 0; }
std::uint64_t ItemIdFactory::EntrySize(const ItemId* r) { return Field64(r, kKindEntry, itemid::kSize); }
std::uint64_t ItemIdFactory::EntryCreationTime(const ItemId* r) { return Field64(r, kKindEntry, itemid::kTime); }
std::uint64_t ItemIdFactory::EntryWriteTime(const ItemId* r) { return Field64(r, kKindEntry, itemid::kWriteTime); }

int ItemIdFactory::CompareCategoryNames(const ItemId* a, const ItemId* b) {
    return Sign(platform::CompareNoCase(CategoryName(a), CategoryName(b)));
}
int ItemIdFactory::CompareMediaNames(const ItemId* a, const ItemId* b) {
    return Sign(platform::CompareNoCase(MediaName(a), MediaName(b)));
}
int ItemIdFactory::CompareSerials(const ItemId* a, const ItemId* b) { return Order(MediaSerial(a), MediaSerial(b)); }
int ItemIdFactory::CompareTotals(const ItemId* a, const ItemId* b) { return Order(MediaTotal(a), MediaTotal(b)); }
int ItemIdFactory::CompareFree(const ItemId* a, const ItemId* b) { return Order(MediaFree(a), MediaFree(b)); }
int ItemIdFactory::CompareCaptureTimes(const ItemId* a, const ItemId* b) {
    return Order(MediaCaptureTime(a), MediaCaptureTime(b));
}

}  // namespace cataloom
