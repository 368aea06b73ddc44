#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/PathUtil.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

std::uint16_t At16(const std::string& s, std::size_t i) { return Load16(s.data() + i); }
std::uint32_t At32(const std::string& s, std::size_t i) { return Load32(s.data() + i); }

TEST(CatalogFile, EmptyDirectoryGivesRootOnlyTableAndTwoZeroBytes) {
    test::TempTree tmp;
    std::string file = tmp.Path("empty.vmf");
    CatalogHeader header = test::MakeHeader("EMPTY");
    ASSERT_TRUE(test::WriteCatalog(file, header, {{"", 0, {}}}));

    std::string bytes = test::ReadWholeFile(file);
    const std::size_t table = 25 + 5 + 2;
    ASSERT_EQ(bytes.size(), 496 + table + 2);
    EXPECT_EQ(bytes.substr(0, 4), "!vmf");
    EXPECT_EQ(At32(bytes, 24), table);
    EXPECT_EQ(At32(bytes, 28), 496u);
    EXPECT_EQ(At32(bytes, 56), 0u);  // directory count
    EXPECT_EQ(At32(bytes, 60), 0u);  // file count
    EXPECT_EQ(bytes.substr(80, 6), std::string("EMPTY\0", 6));
    EXPECT_EQ(bytes.substr(336, 160), std::string(160, '\0'));
    // The root record: size, depth 1, parent 0, id 1, list at 0 of 2 bytes.
    const std::size_t r = 496;
    EXPECT_EQ(At16(bytes, r), 30u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[r + 2]), 1u);
    EXPECT_EQ(At32(bytes, r + 8), 0u);
    EXPECT_EQ(At32(bytes, r + 12), 1u);
    EXPECT_EQ(At32(bytes, r + 16), 0u);
    EXPECT_EQ(At32(bytes, r + 20), 2u);
    EXPECT_EQ(bytes.substr(r + 24, 6), std::string("EMPTY\0", 6));
    EXPECT_EQ(bytes.substr(r + 30), std::string(4, '\0'));  // table terminator, then the empty list
}

TEST(CatalogFile, TreeLayoutCountsAndTotals) {
    test::TempTree tmp;
    std::string file = tmp.Path("tree.vmf");
    CatalogHeader header = test::MakeHeader("DISC");
    // Root holds b, A, a file, and a hidden directory that is not listed.
    std::vector<test::TreeDirectory> tree = {
        {"", 0, {Dir("b"), File("z.txt", 5), Dir("A", 1), File("a", 7)}},
        {".hid", 0, {File("secret", 1000)}},
        {"A", 0, {File("one", 100), Dir("deep")}},
        {"b", 0, {File("two", 0x100000000ULL)}},
        {"deep", 2, {File("x", 11), File("y", 22)}},
    };
    ASSERT_TRUE(test::WriteCatalog(file, header, tree));
    EXPECT_EQ(header.directoryCount, 4u);
    // Every file entry, the hidden directory's "secret" included: counting
    // "entry records minus directories" would give 6, as the hidden
    // directory has a record but no entry.
    EXPECT_EQ(header.fileCount, 7u);

    CatalogHeader read;
    ASSERT_TRUE(ReadHeader(file.c_str(), &read));
    EXPECT_EQ(std::memcmp(&read, &header, sizeof(read)), 0);

    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    std::uint8_t* list = nullptr;
    ASSERT_EQ(reader.ReadEntryList("DISC", &list), kOk);
    // Sorted case-insensitively: a, A, b, z.txt; the directory A wins the tie with the file a.
    std::vector<std::pair<std::string, std::uint64_t>> seen;
    for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
        seen.emplace_back(EntryRecord::Name(e), EntryRecord::FileSize(e));
    platform::TaskFree(list);
    std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"A", 100 + 33}, {"a", 7}, {"b", 0x100000000ULL}, {"z.txt", 5}};
    EXPECT_EQ(seen, expected);
}

TEST(CatalogFile, HeaderHelpers) {
    test::TempTree tmp;
    EXPECT_TRUE(IsCatalogFileName("disc.vmf"));
    EXPECT_TRUE(IsCatalogFileName("C:\\x.y\\DISC.VMF"));
    EXPECT_FALSE(IsCatalogFileName("a.b.vmf"));
    EXPECT_FALSE(IsCatalogFileName("disc.vmf\\"));
    EXPECT_FALSE(IsCatalogFileName("vmf"));
    EXPECT_FALSE(IsCatalogFileName(nullptr));

    CatalogHeader header = test::MakeHeader("N");
    std::string file = tmp.WriteFile("h.vmf", std::string(600, 'q'));
    ASSERT_TRUE(WriteHeader(file.c_str(), &header));
    std::string bytes = test::ReadWholeFile(file);
    ASSERT_EQ(bytes.size(), 600u);  // the rest of the file is left alone
    EXPECT_EQ(bytes.substr(496), std::string(104, 'q'));
    CatalogHeader read;
    ASSERT_TRUE(ReadHeader(file.c_str(), &read));
    EXPECT_TRUE(IsCatalogHeader(&read));
    read.magic[0] = 'x';
    EXPECT_FALSE(IsCatalogHeader(&read));
    EXPECT_FALSE(IsCatalogHeader(nullptr));
    EXPECT_FALSE(ReadHeader(tmp.Path("missing.vmf").c_str(), &read));
    EXPECT_FALSE(ReadHeader(nullptr, &read));
}

TEST(CatalogFile, ReplaceHeaderPutsTheNewHeaderInPlaceThroughACopy) {
    test::TempTree tmp;
    std::string file = tmp.Path("r.vmf");
    CatalogHeader header = test::MakeHeader("古い名前");
    ASSERT_TRUE(test::WriteCatalog(file, header, {{"", 0, {Dir("d"), File("f.txt", 7)}}, {"d", 0, {File("g", 3)}}}));
    const std::string before = test::ReadWholeFile(file);

    CatalogHeader renamed;
    ASSERT_TRUE(ReadHeader(file.c_str(), &renamed));
    std::memset(renamed.name, 0, sizeof renamed.name);
    std::strcpy(renamed.name, "新しい名前");
    ASSERT_TRUE(ReplaceHeader(file.c_str(), &renamed));
    const std::string after = test::ReadWholeFile(file);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 496), std::string(reinterpret_cast<const char*>(&renamed), 496));
    EXPECT_EQ(after.substr(496), before.substr(496));
    EXPECT_FALSE(path::Exists(tmp.Path("~vmf*.tmp").c_str()));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    std::uint8_t* list = nullptr;
    EXPECT_EQ(reader.ReadEntryList("新しい名前\\d", &list), kOk);
    platform::TaskFree(list);

    // Too short to hold a header, or missing: nothing changes, nothing is left.
    std::string shortFile = tmp.WriteFile("short.vmf", std::string(495, 's'));
    EXPECT_FALSE(ReplaceHeader(shortFile.c_str(), &renamed));
    EXPECT_EQ(test::ReadWholeFile(shortFile), std::string(495, 's'));
    EXPECT_FALSE(ReplaceHeader(tmp.Path("missing.vmf").c_str(), &renamed));
    EXPECT_FALSE(path::Exists(tmp.Path("missing.vmf").c_str()));
    EXPECT_FALSE(path::Exists(tmp.Path("~vmf*.tmp").c_str()));
    EXPECT_FALSE(ReplaceHeader(nullptr, &renamed));
    EXPECT_FALSE(ReplaceHeader(file.c_str(), nullptr));
}

TEST(CatalogFile, TemporaryNamesAreBesideTheTargetAndFree) {
    test::TempTree tmp;
    char first[kMaxPath] = {};
    char second[kMaxPath] = {};
    const std::string target = tmp.Path("c.vmf");
    ASSERT_TRUE(MakeTemporaryCatalogPath(target.c_str(), first));
    ASSERT_TRUE(MakeTemporaryCatalogPath(target.c_str(), second));
    EXPECT_NE(std::string(first), std::string(second));
    for (const char* path : {first, second}) {
        std::string name = path::LastComponent(path);
        EXPECT_EQ(std::string(path), tmp.Path(name));
        EXPECT_EQ(name.substr(0, 4), "~vmf");
        EXPECT_EQ(name.size(), 16u);
    }
}

TEST(CatalogFile, WriterRefusesNamesThatDoNotFitTheFormat) {
    test::TempTree tmp;
    CatalogHeader header = test::MakeHeader("R");
    std::vector<test::TreeDirectory> tree = {{"", 0, {File(std::string(260, 'n'), 1)}}};
    EXPECT_FALSE(test::WriteCatalog(tmp.Path("long.vmf"), header, tree));
}

}  // namespace
}  // namespace cataloom
