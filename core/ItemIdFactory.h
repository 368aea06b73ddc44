// Builds, copies, joins, reads and frees item identifier lists.  Every list
// it returns comes from the shell's task allocator, so the shell can free it.
#pragma once

#include "core/CatalogFile.h"
#include "core/ItemId.h"

#include <cstddef>
#include <cstdint>

namespace cataloom {

class ItemIdFactory {
public:
    // Builders: a new one-record list, or null when allocation fails.
    ItemId* MakeCategory(const char* folderName) const;
    ItemId* MakeMedia(const char* fileName, const CatalogHeader& header) const;
    ItemId* MakeEntry(const std::uint8_t* entryRecord) const;

    // List operations.
    static bool IsEnd(const ItemId* record);
    static const ItemId* Next(const ItemId* record);
    static const ItemId* Last(const ItemId* list);
    static std::size_t ListSize(const ItemId* list);
    ItemId* Copy(const ItemId* list) const;
    ItemId* CopyFirst(const ItemId* list) const;
    ItemId* Join(const ItemId* a, const ItemId* b) const;
    void Free(ItemId* list) const;
    ItemId** CopyArray(const ItemId* const* lists, std::size_t count) const;
    void FreeArray(ItemId** lists, std::size_t count) const;
    static std::uint16_t Kind(const ItemId* record);
    static std::uint16_t KindOfLast(const ItemId* list) { return Kind(Last(list)); }
    static int CompareKinds(const ItemId* a, const ItemId* b);
    // The names of all records joined with backslashes; returns the length,
    // or -1 when they do not fit (a shorter path would name another item).
    static int PathOf(const ItemId* list, char* buffer, std::size_t capacity);

    // Readers: the neutral value at the end or for a record of another kind.
    static const char* CategoryName(const ItemId* record);
    static const char* MediaFileName(const ItemId* record);
    static const char* MediaName(const ItemId* record);
    static std::uint32_t MediaDriveType(const ItemId* record);
    static std::uint32_t MediaHasFolders(const ItemId* record);
    static std::uint32_t MediaSerial(const ItemId* record);
    static std::uint64_t MediaTotal(const ItemId* record);
    static std::uint64_t MediaFree(const ItemId* record);
    static std::uint64_t MediaCaptureTime(const ItemId* record);
    static std::uint32_t EntryFlags(const ItemId* record);
    static bool EntryIsDirectory(const ItemId* record);
    static std::uint64_t EntrySize(const ItemId* record);
    static std::uint64_t EntryCreationTime(const ItemId* record);
    static std::uint64_t EntryWriteTime(const ItemId* record);
    // The name at offset 44 of any record; empty at the end.
    static const char* Name(const ItemId* record);

    // Comparisons for sorting: -1, 0 or 1.
    static int CompareCategoryNames(const ItemId* a, const ItemId* b);
    static int CompareMediaNames(const ItemId* a, const ItemId* b);
    static int CompareSerials(const ItemId* a, const ItemId* b);
    static int CompareTotals(const ItemId* a, const ItemId* b);
    static int CompareFree(const ItemId* a, const ItemId* b);
    static int CompareCaptureTimes(const ItemId* a, const ItemId* b);

private:
    // A zero-filled one-record list of the record size for `stringBytes`.
    ItemId* Allocate(std::size_t stringBytes, ItemKind kind) const;
};

}  // namespace cataloom
