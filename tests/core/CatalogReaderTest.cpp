#include "core/CatalogReader.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

#define SO "\x83\x5C"  // "ソ": trail byte 0x5C

std::vector<std::string> Names(CatalogReader& reader, const char* path) {
    std::vector<std::string> names;
    std::uint8_t* list = nullptr;
    if (reader.ReadEntryList(path, &list) != kOk) return {"<failed>"};
    for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
        names.emplace_back(EntryRecord::Name(e));
    platform::TaskFree(list);
    return names;
}

class CatalogReaderTest : public testing::Test {
protected:
    void SetUp() override {
        file_ = tmp_.Path("disc.vmf");
        header_ = test::MakeHeader("DISC");
        // A case-sensitive source with the sibling directories "Dir" and "dir",
        // and a directory whose double-byte name ends in a 0x5C trail byte.
        std::vector<test::TreeDirectory> tree = {
            {"", 0, {Dir("b", 1), Dir("Dir"), Dir("dir"), Dir(SO), File("f", 1)}},
            {"b", 0, {Dir("c")}},
            {"Dir", 0, {File("upper", 1)}},
            {"dir", 0, {File("lower", 2)}},
            {SO, 0, {File(SO "x", 3)}},
            {"c", 1, {File("leaf", 4)}},
        };
        ASSERT_TRUE(test::WriteCatalog(file_, header_, tree));
    }

    test::TempTree tmp_;
    std::string file_;
    CatalogHeader header_;
};

TEST_F(CatalogReaderTest, LooksUpDirectoriesByPath) {
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    EXPECT_EQ(reader.DirectoryCount(), 6u);
    EXPECT_EQ(Names(reader, "DISC"), (std::vector<std::string>{"b", "Dir", "dir", "f", SO}));
    EXPECT_EQ(Names(reader, ""), Names(reader, "DISC"));
    EXPECT_EQ(Names(reader, "anything-names-the-root"), Names(reader, "DISC"));
    EXPECT_EQ(Names(reader, "DISC\\b\\c"), std::vector<std::string>{"leaf"});
    EXPECT_EQ(Names(reader, "DISC\\b\\c\\"), std::vector<std::string>{"leaf"});
    EXPECT_EQ(Names(reader, "DISC\\Dir"), std::vector<std::string>{"upper"});
    EXPECT_EQ(Names(reader, "DISC\\dir"), std::vector<std::string>{"lower"});
    EXPECT_EQ(Names(reader, "DISC\\" SO), std::vector<std::string>{SO "x"});

    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    EXPECT_FALSE(reader.FindDirectory("DISC\\DIR", &offset, &size));
    EXPECT_FALSE(reader.FindDirectory("DISC\\a", &offset, &size));  // greater names exist under the parent
    EXPECT_FALSE(reader.FindDirectory("DISC\\c", &offset, &size));  // exists, but one level deeper
    EXPECT_FALSE(reader.FindDirectory("DISC\\b\\c\\zz", &offset, &size));
    EXPECT_FALSE(reader.FindDirectory("DISC\\b", nullptr, &size));
    EXPECT_EQ(reader.ReadEntryList("DISC\\missing", nullptr), kPointer);
    std::uint8_t* list = nullptr;
    EXPECT_EQ(reader.ReadEntryList("DISC\\missing", &list), kFail);
    EXPECT_EQ(list, nullptr);
}

TEST_F(CatalogReaderTest, OpenRules) {
    CatalogReader reader;
    EXPECT_EQ(reader.Open(nullptr), kPointer);
    EXPECT_EQ(reader.Open(tmp_.Path("none.vmf").c_str()), kNotCatalog);
    EXPECT_FALSE(reader.IsLoaded());
    std::string notCatalog = tmp_.WriteFile("plain.vmf", std::string(1000, 'x'));
    EXPECT_EQ(reader.Open(notCatalog.c_str()), kNotCatalog);
    EXPECT_EQ(reader.Open(tmp_.Root().c_str()), kNotCatalog);

    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    EXPECT_TRUE(reader.FindDirectory("DISC\\b", &offset, &size));
    reader.Release();
    EXPECT_FALSE(reader.IsLoaded());
    EXPECT_FALSE(reader.FindDirectory("DISC\\b", &offset, &size));
}

TEST_F(CatalogReaderTest, ReloadsAPathWhoseFileChanged) {
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    // Another process rewrites the catalogue with a different tree.
    CatalogHeader other = test::MakeHeader("DISC");
    ASSERT_TRUE(test::WriteCatalog(file_, other, {{"", 0, {Dir("new")}}, {"new", 0, {File("n", 1)}}}));
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    EXPECT_EQ(Names(reader, "DISC\\new"), std::vector<std::string>{"n"});
    EXPECT_EQ(Names(reader, "DISC"), std::vector<std::string>{"new"});
}

TEST_F(CatalogReaderTest, EachReadComesFromOneVersionOfAReplacedFile) {
    CatalogReader reader;
    platform::File held;
    ASSERT_EQ(reader.Open(file_.c_str(), held), kOk);
    long c = reader.FindRecord("DISC\\b\\c");
    ASSERT_GE(c, 0);
    // Another process puts a version with other lists at other offsets in
    // place by a rename.
    std::string next = tmp_.Path("next.vmf");
    CatalogHeader other = test::MakeHeader("OTHER");
    ASSERT_TRUE(test::WriteCatalog(next, other,
                                   {{"", 0, {Dir("b"), File(std::string(200, 'z'), 1)}},
                                    {"b", 0, {Dir("c")}},
                                    {"c", 1, {File("replaced", 9), File("too", 9)}}}));
#ifdef _WIN32
    // Windows does not replace a file that a handle without delete sharing holds.
    held.Close();
#endif
    ASSERT_TRUE(platform::MoveReplacing(next.c_str(), file_.c_str()));
#ifndef _WIN32
    // The handle the table came from still reads the version it belongs to.
    std::uint8_t* list = nullptr;
    ASSERT_EQ(reader.ReadRecordList(static_cast<std::size_t>(c), held, &list), kOk);
    EXPECT_STREQ(EntryRecord::Name(list), "leaf");
    platform::TaskFree(list);
    EXPECT_STREQ(reader.Header().name, "DISC");
#endif
    // A read by path loads the new version first: its table, its lists.
    EXPECT_EQ(Names(reader, "DISC\\b\\c"), (std::vector<std::string>{"replaced", "too"}));
    EXPECT_STREQ(reader.Header().name, "OTHER");
    // Opened again with nothing changed: the same version, header included.
    CatalogHeader header;
    EXPECT_EQ(reader.Open(file_.c_str(), held, &header), kOk);
    EXPECT_STREQ(header.name, "OTHER");
}

TEST_F(CatalogReaderTest, CachesAPathUntilItsSizeOrWriteTimeChanges) {
    // The same tree with "b" renamed "a": a file of exactly the same size.
    CatalogHeader other = test::MakeHeader("DISC");
    std::string renamed = tmp_.Path("renamed.vmf");
    ASSERT_TRUE(test::WriteCatalog(renamed, other,
                                   {{"", 0, {Dir("a", 1), Dir("Dir"), Dir("dir"), Dir(SO), File("f", 1)}},
                                    {"a", 0, {Dir("c")}},
                                    {"Dir", 0, {File("upper", 1)}},
                                    {"dir", 0, {File("lower", 2)}},
                                    {SO, 0, {File(SO "x", 3)}},
                                    {"c", 1, {File("leaf", 4)}}}));
    std::string renamedBytes = test::ReadWholeFile(renamed);
    ASSERT_EQ(renamedBytes.size(), test::ReadWholeFile(file_).size());
    const std::uint64_t stamp = 0x01D9000000000000ULL;  // whole seconds
    ASSERT_TRUE(test::SetWriteTime(file_, stamp));

    CatalogReader reader;
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    // Rewritten behind the reader's back with size and write time kept: an
    // Open of the same path reads nothing.
    tmp_.WriteFile("disc.vmf", renamedBytes);
    ASSERT_TRUE(test::SetWriteTime(file_, stamp));
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    EXPECT_TRUE(reader.FindDirectory("DISC\\b", &offset, &size));
    EXPECT_FALSE(reader.FindDirectory("DISC\\a", &offset, &size));

    // Only the write time changes: the file is read again.
    ASSERT_TRUE(test::SetWriteTime(file_, stamp + 10000000));
    ASSERT_EQ(reader.Open(file_.c_str()), kOk);
    EXPECT_FALSE(reader.FindDirectory("DISC\\b", &offset, &size));
    EXPECT_TRUE(reader.FindDirectory("DISC\\a", &offset, &size));
    EXPECT_EQ(Names(reader, "DISC\\a\\c"), std::vector<std::string>{"leaf"});
}

TEST_F(CatalogReaderTest, FindsNamesWhateverOrderTheWriterLeft) {
    // Another collation put "c" before "a" and "b"; a crafted file stores a
    // run in reverse, with a name twice (the first in the table wins) and a
    // directory of another parent in the middle.
    std::string file = tmp_.Path("order.vmf");
    CatalogHeader header = test::MakeHeader("DISC");
    ASSERT_TRUE(test::WriteCatalog(file, header,
                                   {{"", 0, {Dir("a"), Dir("b"), Dir("c")}},
                                    {"c", 0, {Dir("z"), Dir("y"), Dir("x"), Dir("y")}},
                                    {"a", 0, {File("in-a", 1)}},
                                    {"b", 0, {File("in-b", 1)}},
                                    {"z", 1, {File("in-z", 1)}},
                                    {"y", 1, {File("in-y", 1)}},
                                    {"x", 1, {File("in-x", 1)}},
                                    {"y", 1, {File("second-y", 1)}}}));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    const std::pair<const char*, const char*> cases[] = {
        {"DISC\\a", "in-a"}, {"DISC\\b", "in-b"}, {"DISC\\c\\x", "in-x"},
        {"DISC\\c\\y", "in-y"}, {"DISC\\c\\z", "in-z"},
    };
    for (const auto& [path, only] : cases) EXPECT_EQ(Names(reader, path), std::vector<std::string>{only}) << path;
    EXPECT_EQ(reader.FindRecord("DISC\\c\\y"), 5);
    EXPECT_EQ(reader.FindChild(0, "A"), -1);  // still exact
    EXPECT_EQ(reader.FindChild(0, "a"), 2);
    EXPECT_EQ(reader.FindChild(0, "x"), -1);  // a grandchild is no child
    EXPECT_EQ(reader.FindChild(1, "a"), -1);
    EXPECT_EQ(reader.FindChild(9, "a"), -1);  // no such parent
}

TEST_F(CatalogReaderTest, NamelessCatalogueKeepsItsRootAndDirectoriesApart) {
    // Captured from an unlabelled volume: the root's name is empty.
    std::string file = tmp_.Path("nameless.vmf");
    CatalogHeader header = test::MakeHeader("");
    ASSERT_TRUE(test::WriteCatalog(file, header,
                                   {{"", 0, {Dir("sub"), File("top.txt", 1)}}, {"sub", 0, {File("inner.txt", 2)}}}));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    EXPECT_EQ(Names(reader, ""), (std::vector<std::string>{"sub", "top.txt"}));
    EXPECT_EQ(Names(reader, "\\sub"), std::vector<std::string>{"inner.txt"});
    EXPECT_EQ(reader.FindRecord("\\sub"), 1);
    EXPECT_EQ(reader.FindRecord("sub"), 0);  // the first component is the root, whatever it says
    EXPECT_EQ(reader.FindRecord("\\nothing"), -1);
}

TEST_F(CatalogReaderTest, ReadsListsRecordByRecordThroughOneHandle) {
    CatalogReader reader;
    platform::File file;
    ASSERT_EQ(reader.Open(file_.c_str(), file), kOk);
    ASSERT_TRUE(file.IsOpen());
    long c = reader.FindRecord("DISC\\b\\c");
    ASSERT_EQ(c, 5);
    EXPECT_EQ(reader.FindChild(reader.FindRecord("DISC\\b"), "c"), c);
    EXPECT_EQ(reader.ListSize(5), 37u + 4 + 2);  // "leaf" and the terminator
    EXPECT_EQ(reader.ListSize(6), 0u);
    std::uint8_t* list = nullptr;
    ASSERT_EQ(reader.ReadRecordList(5, file, &list), kOk);
    EXPECT_STREQ(EntryRecord::Name(list), "leaf");
    platform::TaskFree(list);
    EXPECT_EQ(reader.ReadRecordList(6, file, &list), kFail);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(reader.ReadRecordList(5, file, nullptr), kPointer);
    // The lists fill the rest of the file.
    std::uint32_t tableSize = Load32(test::ReadWholeFile(file_).data() + 24);
    EXPECT_EQ(reader.ListAreaSize(), test::ReadWholeFile(file_).size() - 496 - tableSize);
}

TEST_F(CatalogReaderTest, HugeDeclaredListFailsBeforeAnythingIsAllocated) {
    std::string file = tmp_.Path("huge.vmf");
    ASSERT_TRUE(test::WriteHugeListCatalog(file));
    EXPECT_EQ(test::ReadWholeFile(file).size(), 564u);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    EXPECT_EQ(reader.ListSize(0), 0xFFFFFFFFu);
    std::uint8_t* list = nullptr;
    EXPECT_EQ(reader.ReadEntryList("R", &list), kFail);
    EXPECT_EQ(list, nullptr);
}

// Damaged copies of a sound catalogue: each must fail cleanly.
class DamagedCatalogTest : public CatalogReaderTest {
protected:
    std::string Damaged(const std::string& name, std::string bytes) { return tmp_.WriteFile(name, bytes); }
    std::string Sound() { return test::ReadWholeFile(file_); }
};

TEST_F(DamagedCatalogTest, BrokenTablesFailToOpen) {
    std::string sound = Sound();
    std::uint32_t tableSize = Load32(sound.data() + 24);
    std::vector<std::pair<std::string, std::string>> cases;

    cases.emplace_back("truncated-header", sound.substr(0, 300));
    cases.emplace_back("truncated-table", sound.substr(0, 496 + tableSize / 2));
    std::string huge = sound;
    Store32(&huge[24], 0xFFFFFFF0u);
    cases.emplace_back("table-beyond-file", huge);
    std::string tiny = sound;
    Store16(&tiny[496], 10);  // record smaller than its fixed part
    cases.emplace_back("short-record", tiny);
    std::string overlong = sound;
    Store16(&overlong[496], static_cast<std::uint16_t>(tableSize + 5));
    cases.emplace_back("record-past-table", overlong);
    std::string unterminated = sound;
    Store32(&unterminated[24], tableSize - 2);  // drop the terminator from the table
    cases.emplace_back("no-terminator", unterminated);
    std::string noName = sound;
    std::uint16_t rootSize = Load16(&noName[496]);
    noName[496 + rootSize - 1] = 'X';  // the root's name runs into the next record
    cases.emplace_back("name-not-terminated", noName);
    std::string unsorted = sound;
    unsorted[496 + 2] = 7;  // the root claims depth 7: the table is no longer sorted
    cases.emplace_back("unsorted", unsorted);

    for (const auto& [name, bytes] : cases) {
        CatalogReader reader;
        std::string path = Damaged(name + ".vmf", bytes);
        // Without a whole header nothing says the file is a catalogue.
        EXPECT_EQ(reader.Open(path.c_str()), name == "truncated-header" ? kNotCatalog : kFail) << name;
        EXPECT_FALSE(reader.IsLoaded()) << name;
    }
}

TEST_F(DamagedCatalogTest, BrokenEntryListsFailToRead) {
    std::string sound = Sound();
    std::uint32_t tableSize = Load32(sound.data() + 24);
    std::size_t listArea = 496 + tableSize;
    std::size_t rootList = listArea + Load32(sound.data() + 496 + 16);

    std::vector<std::pair<std::string, std::string>> cases;
    cases.emplace_back("list-cut-off", sound.substr(0, sound.size() - 3));
    std::string badEntry = sound;
    Store16(&badEntry[rootList], 20);
    cases.emplace_back("short-entry", badEntry);
    std::string longEntry = sound;
    Store16(&longEntry[rootList], 0x7FFF);
    cases.emplace_back("entry-past-list", longEntry);
    std::string offsetOut = sound;
    Store32(&offsetOut[496 + 16], 0x7FFFFFFF);  // the root's list lies beyond the file
    cases.emplace_back("offset-beyond-file", offsetOut);
    std::string noTerminator = sound;
    Store32(&noTerminator[496 + 20], Load32(sound.data() + 496 + 20) - 2);
    cases.emplace_back("list-without-terminator", noTerminator);

    for (const auto& [name, bytes] : cases) {
        CatalogReader reader;
        std::string path = Damaged(name + ".vmf", bytes);
        if (reader.Open(path.c_str()) != kOk) continue;  // refusing to open is fine too
        std::uint8_t* list = nullptr;
        HResult hr = reader.ReadEntryList(name == "list-cut-off" ? "DISC\\b\\c" : "DISC", &list);
        EXPECT_EQ(hr, kFail) << name;
        EXPECT_EQ(list, nullptr) << name;
    }
}

}  // namespace
}  // namespace cataloom
