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
};

// Builds a header named `name` with the magic and the given serial.
CatalogHeader MakeHeader(const std::string& name, std::uint32_t serial = 0x1234ABCD);

// Writes `tree` (root first, parents before children, breadth-first order)
// to `path`.  Fills in ids, depths and parent ids.
bool WriteCatalog(const std::string& path, CatalogHeader& header, std::vector<TreeDirectory> tree);

EntryData File(const std::string& name, std::uint64_t size, std::uint32_t attributes = 0x20);
EntryData Dir(const std::string& name, std::uint32_t hasFolders = 0, std::uint32_t attributes = 0x10);

}  // namespace cataloom::test
