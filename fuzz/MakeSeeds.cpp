// Writes a few sound catalogues to seed the fuzzer's corpus.
#include "core/CatalogWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace cataloom;

namespace {

EntryData Entry(const char* name, std::uint64_t size, bool directory, const char* exact = "") {
    EntryData e;
    e.name = name;
    e.exact = exact;
    e.attributes = directory ? platform::kAttrDirectory : platform::kAttrArchive;
    e.size = directory ? kUnknownTotal : size;
    e.creationTime = 0x01D0000000000000ULL;
    e.writeTime = 0x01D0000000000001ULL;
    return e;
}

bool Write(const std::string& path, const std::vector<DirectoryNode>& shape,
           const std::vector<std::vector<EntryData>>& lists, const char* exactCatalogName = "") {
    CatalogHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, "!vmf", 4);
    std::strcpy(header.name, "R");
    std::vector<DirectoryNode> table = shape;
    CatalogWriter writer;
    if (!writer.Create(path.c_str())) return false;
    writer.SetExactCatalogName(exactCatalogName);
    if (!writer.WriteHeaderAndTable(header, table)) return false;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::vector<EntryData> entries = lists[i];
        SortEntries(entries);
        if (!writer.WriteEntryList(table[i], entries)) return false;
    }
    return writer.WriteCounts(header, table) && writer.WriteExactNames() &&
           writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

DirectoryNode Node(const char* name, std::uint32_t id, std::uint32_t parent, std::uint8_t depth,
                   const char* exact = "") {
    DirectoryNode n;
    n.name = name;
    n.exact = exact;
    n.id = id;
    n.parentId = parent;
    n.depth = depth;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    bool ok = Write(dir + "/empty.vmf", {Node("R", 1, 0, 1)}, {{}});
    ok = ok && Write(dir + "/tree.vmf",
                     {Node("R", 1, 0, 1), Node("a", 2, 1, 2), Node("b", 3, 1, 2), Node("\x83\x5C", 4, 1, 2),
                      Node("c", 5, 2, 3), Node("d", 6, 5, 4)},
                     {{Entry("a", 0, true), Entry("b", 0, true), Entry("\x83\x5C", 0, true), Entry("f", 3, false)},
                      {Entry("c", 0, true), Entry("x", 10, false)},
                      {Entry("y", 1ULL << 33, false)},
                      {},
                      {Entry("d", 0, true)},
                      {Entry("z", 5, false)}});
    // Records that share one id: each level's directories are the parents of
    // the next level's.
    ok = ok && Write(dir + "/shared-ids.vmf",
                     {Node("R", 1, 0, 1), Node("a", 2, 1, 2), Node("b", 2, 1, 2), Node("a", 2, 2, 3),
                      Node("b", 2, 2, 3)},
                     std::vector<std::vector<EntryData>>(5, {Entry("a", 0, true), Entry("b", 0, true)}));
    // Exact names after the lists: the catalogue's, a directory's and two
    // entries' (one of them not UTF-8, as a Linux disk may hold).
    ok = ok && Write(dir + "/exact.vmf", {Node("R", 1, 0, 1), Node("caf?", 2, 1, 2, "caf\xC3\xA9")},
                     {{Entry("caf?", 0, true, "caf\xC3\xA9"), Entry("?", 4, false, "\xF0\x9F\x8E\xB5"),
                       Entry("x?", 1, false, "x\xFF")},
                      {Entry("a", 2, false)}},
                     "Beyonc\xC3\xA9");
    return ok ? 0 : 1;
}
