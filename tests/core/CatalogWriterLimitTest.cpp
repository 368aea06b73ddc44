// The writer's 32-bit limit, driven for real: 4 GiB of entry lists go through
// CatalogWriter into the system's null device, which takes every write and
// keeps nothing, so the offsets pass 4 GiB without 4 GiB of disk.
#include "core/CatalogWriter.h"
#include "tests/core/CatalogBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace cataloom {
namespace {

#ifdef _WIN32
const char kNullDevice[] = "NUL";
#else
const char kNullDevice[] = "/dev/null";
#endif

// A file entry record of `size` bytes: a name of size - 37 "n"s.
std::vector<std::uint8_t> FileRecord(std::size_t size) {
    std::vector<std::uint8_t> record(size, 'n');
    std::fill(record.begin(), record.begin() + EntryRecord::kName, 0);
    Store16(record.data() + EntryRecord::kSize, static_cast<std::uint16_t>(size));
    Store32(record.data() + EntryRecord::kAttributes, platform::kAttrArchive);
    record.back() = '\0';
    return record;
}

TEST(CatalogWriterLimit, ListsEndingAt4GiBAreTakenAndOneByteMoreIsRefused) {
    std::vector<DirectoryNode> table(3);
    const char* names[] = {"R", "a", "b"};
    for (std::uint32_t i = 0; i < 3; ++i) {
        table[i].name = names[i];
        table[i].id = i + 1;
        table[i].parentId = i == 0 ? 0 : 1;
        table[i].depth = i == 0 ? 1 : 2;
    }
    CatalogHeader header = test::MakeHeader("R");
    CatalogWriter writer;
    ASSERT_TRUE(writer.Create(kNullDevice));
    ASSERT_TRUE(writer.WriteHeaderAndTable(header, table));
    const std::uint64_t listArea = kHeaderSize + 3 * 26 + kTerminatorSize;  // 576
    ASSERT_EQ(header.tableSize, listArea - kHeaderSize);

    // The root's list fills the file up to 2 bytes below 2^32 - 1: 65,536
    // records of 65,535 bytes, one of the rest, and its terminator.
    const std::uint64_t rootList = 0xFFFFFFFFull - listArea - kTerminatorSize;
    const std::size_t fullRecords = 65536;
    const std::uint64_t rest = rootList - kTerminatorSize - fullRecords * 65535ull;
    ASSERT_EQ(rest, 64955u);
    std::vector<std::uint8_t> big = FileRecord(65535);
    std::vector<std::uint8_t> last = FileRecord(static_cast<std::size_t>(rest));
    std::vector<const std::uint8_t*> records(fullRecords, big.data());
    records.push_back(last.data());
    ASSERT_TRUE(writer.WriteEntryRecords(table[0], records.data(), nullptr, records.size()));
    EXPECT_EQ(table[0].listOffset, 0u);
    EXPECT_EQ(table[0].listSize, rootList);

    // An empty list ends the file at exactly 2^32 - 1 bytes: still taken.
    ASSERT_TRUE(writer.WriteEntryRecords(table[1], nullptr, nullptr, 0));
    EXPECT_EQ(table[1].listOffset, rootList);
    EXPECT_EQ(table[1].listSize, kTerminatorSize);
    EXPECT_EQ(listArea + table[1].listOffset + table[1].listSize, 0xFFFFFFFFull);

    // The next one would put an offset past 32 bits: refused, and the
    // writer stays failed, so no header claims a whole file.
    EXPECT_FALSE(writer.WriteEntryRecords(table[2], nullptr, nullptr, 0));
    EXPECT_EQ(table[2].listOffset, 0u);
    EXPECT_EQ(table[2].listSize, 0u);
    EXPECT_FALSE(writer.WriteCounts(header, table));
    EXPECT_EQ(header.fileCount, 0u);
    EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace cataloom
