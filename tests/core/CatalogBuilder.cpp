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

bool WriteTable(const std::string& path, CatalogHeader& header, std::vector<DirectoryNode> table,
                std::vector<std::vector<EntryData>> lists, const std::string& catalogExact) {
    CatalogWriter writer;
    if (lists.size() != table.size() || !writer.Create(path.c_str())) return false;
    writer.SetExactCatalogName(catalogExact);
    if (!writer.WriteHeaderAndTable(header, table)) return false;
    for (std::size_t i = 0; i < table.size(); ++i) {
        SortEntries(lists[i]);
        if (!writer.WriteEntryList(table[i], lists[i])) return false;
    }
    return writer.WriteCounts(header, table) && writer.WriteExactNames() &&
           writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

bool WriteCatalog(const std::string& path, CatalogHeader& header, std::vector<TreeDirectory> tree) {
    std::vector<DirectoryNode> table(tree.size());
    std::vector<std::vector<EntryData>> lists(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        table[i].name = i == 0 ? std::string(header.name) : tree[i].name;
        table[i].exact = i == 0 ? std::string() : tree[i].exact;
        table[i].id = static_cast<std::uint32_t>(i + 1);
        table[i].parentId = i == 0 ? 0 : table[tree[i].parent].id;
        table[i].depth = static_cast<std::uint8_t>(i == 0 ? 1 : table[tree[i].parent].depth + 1);
        lists[i] = std::move(tree[i].entries);
    }
    return WriteTable(path, header, std::move(table), std::move(lists), tree.empty() ? "" : tree[0].exact);
}

namespace {

// Rewrites four bytes of a file in place.
bool Patch32(const std::string& path, std::uint64_t offset, std::uint32_t value) {
    platform::File file;
    std::uint8_t bytes[4];
    Store32(bytes, value);
    return file.Open(path.c_str(), platform::File::kReadWrite, platform::File::kShareNone, true) &&
           file.Seek(static_cast<std::int64_t>(offset), platform::File::kBegin) && file.Write(bytes, 4) == 4;
}

DirectoryNode Node(const std::string& name, std::uint8_t depth, std::uint32_t parentId, std::uint32_t id) {
    DirectoryNode node;
    node.name = name;
    node.depth = depth;
    node.parentId = parentId;
    node.id = id;
    return node;
}

}  // namespace

bool WriteHugeListCatalog(const std::string& path) {
    CatalogHeader header = MakeHeader("R");
    // The root record's list size field.
    return WriteCatalog(path, header, {{"", 0, {File("f", 1)}}}) &&
           Patch32(path, kHeaderSize + DirectoryRecord::kListSize, 0xFFFFFFFFu);
}

bool WriteLoopingCatalog(const std::string& path, int levels, bool shareOneList) {
    CatalogHeader header = MakeHeader("R");
    std::vector<DirectoryNode> table = {Node("R", 1, 0, 1)};
    for (int level = 0; level < levels; ++level) {
        std::uint32_t parentId = level == 0 ? 1 : 2;
        auto depth = static_cast<std::uint8_t>(level + 2);
        table.push_back(Node("a", depth, parentId, 2));
        table.push_back(Node("b", depth, parentId, 2));
    }
    std::vector<std::vector<EntryData>> lists(shareOneList ? 1 : table.size(), {Dir("a"), Dir("b")});
    if (!shareOneList) return WriteTable(path, header, std::move(table), std::move(lists));

    // Only the root's list is written; every record then points at it.
    CatalogWriter writer;
    if (!writer.Create(path.c_str()) || !writer.WriteHeaderAndTable(header, table) ||
        !writer.WriteEntryList(table[0], lists[0]))
        return false;
    for (DirectoryNode& node : table) {
        node.listOffset = table[0].listOffset;
        node.listSize = table[0].listSize;
    }
    return writer.WriteCounts(header, table) && writer.Close();
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
