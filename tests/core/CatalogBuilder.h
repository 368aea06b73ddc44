// Writes a catalogue from a tree described in memory, driving CatalogWriter
// through every step, so file-format tests do not depend on a capture.
#pragma once

#include "core/CatalogWriter.h"

#include <string>
#include <vector>

namespace cataloom::test {

struct TreeDirectory {
    std::string name;
    std::size_t parent = 0;  // index of the parent in the tree; the root's is ignored
    std::vector<EntryData> entries;  // unsorted; sorted by the builder
    std::string exact;  // its name on disk where `name` differs (the root's: the catalogue's)
};

// Builds a header named `name` with the magic and the given serial.
CatalogHeader MakeHeader(const std::string& name, std::uint32_t serial = 0x1234ABCD);

// Writes `tree` (root first, parents before children, breadth-first order)
// to `path`.  Fills in ids, depths and parent ids.
bool WriteCatalog(const std::string& path, CatalogHeader& header, std::vector<TreeDirectory> tree);

// Writes a table given record by record (ids, parents and depths as given,
// sorted or not) with one entry list per record.
bool WriteTable(const std::string& path, CatalogHeader& header, std::vector<DirectoryNode> table,
                std::vector<std::vector<EntryData>> lists, const std::string& catalogExact = "");

// Crafted catalogues that once made a search exhaust memory or run for ever.
// 564 bytes: the root "R" holds one file, but declares an entry list of
// 0xFFFFFFFF bytes.
bool WriteHugeListCatalog(const std::string& path);
// The root "R" and `levels` levels of two directories "a" and "b" that all
// carry the id 2, so that every directory below the root is the parent of
// the next level's two; each record has its own list of the entries a and b,
// or, with `shareOneList`, every record points at the root's list (with 60
// levels that is the 3.7 KB catalogue of the report).
bool WriteLoopingCatalog(const std::string& path, int levels, bool shareOneList);

EntryData File(const std::string& name, std::uint64_t size, std::uint32_t attributes = 0x20);
EntryData Dir(const std::string& name, std::uint32_t hasFolders = 0, std::uint32_t attributes = 0x10);

}  // namespace cataloom::test
