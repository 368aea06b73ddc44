#include "tests/core/CatalogBuilder.h"

#include <cstring>

namespace cataloom::test {

CatalogHeader MakeHeader(const std::string& name, std::uint32_t serial) {
    CatalogHeader h;
    std::memset(&h, 0, sizeof(h));
    std::memcpy(h.magic, "!vmf", 4);
    h.serial = serial;
    h.driveType = 3;
    h.totalBytes = 0x123456789ULL;
    h.freeBytes = 0x23456789ULL;
    h.captureTime = 0x01D9000000000000ULL;
    std::strcpy(h.fileSystem, "NTFS");
    std::strncpy(h.name, name.c_str(), sizeof(h.name) - 1);
    return h;
}

bool WriteCatalog(const std::string& path, CatalogHeader& header, std::vector<TreeDirectory> tree) {
    std::vector<DirectoryNode> table(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        table[i].name = i == 0 ? std::string(header.name) : tree[i].name;
        table[i].id = static_cast<std::uint32_t>(i + 1);
        table[i].parentId = i == 0 ? 0 : table[tree[i].parent].id;
        table[i].depth = static_cast<std::uint8_t>(i == 0 ? 1 : table[tree[i].parent].depth + 1);
    }
    CatalogWriter writer;
    if (!writer.Create(path.c_str()) || !writer.WriteHeaderAndTable(header, table)) return false;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        SortEntries(tree[i].entries);
        if (!writer.WriteEntryList(table[i], tree[i].entries)) return false;
    }
    return writer.WriteCounts(header, table) && writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

EntryData File(const std::string& name, std::uint64_t size, std::uint32_t attributes) {
    EntryData e;
    e.name = name;
    e.attributes = attributes;
    e.size = size;
    e.creationTime = 0x01D0000000000001ULL;
    e.writeTime = 0x01D0000000000002ULL;
    return e;
}

EntryData Dir(const std::string& name, std::uint32_t hasFolders, std::uint32_t attributes) {
    EntryData e = File(name, kUnknownTotal, attributes);
    e.hasFolders = hasFolders;
    return e;
}

}  // namespace cataloom::test
