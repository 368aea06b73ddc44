#include "core/CatalogWalker.h"
#include "core/DisplayText.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

// Records every call of the walk as one line, paths relative to the root.
class Recorder : public WalkVisitor {
public:
    explicit Recorder(std::size_t rootLength) : rootLength_(rootLength) {}

    bool Stopped() override { return stopAfter_ != 0 && entries_ >= stopAfter_; }
    void Folder(const char* path, const char* name) override { lines.push_back("F " + Rel(path) + " " + name); }
    bool Catalog(const char* path, const char*, const CatalogHeader& header) override {
        lines.push_back("V " + Rel(path) + " " + header.name);
        return std::string(header.name) != skip;
    }
    void Entry(const char*, const char* inner, std::size_t length, const std::uint8_t* entry) override {
        ++entries_;
        EXPECT_EQ(length, std::string(inner).size());
        lines.push_back("E " + std::string(inner) + " " + std::to_string(EntryRecord::FileSize(entry)));
    }
    void Unreachable(const char*, const std::uint8_t* entry) override {
        lines.push_back(std::string("U ") + EntryRecord::Name(entry));
    }
    void Damaged(const char* path) override { lines.push_back("D " + Rel(path)); }

    std::vector<std::string> lines;
    std::string skip;
    std::size_t stopAfter_ = 0;

private:
    std::string Rel(const char* path) const { return std::string(path).substr(rootLength_); }
    std::size_t rootLength_;
    std::size_t entries_ = 0;
};

class CatalogWalkerTest : public testing::Test {
protected:
    std::vector<std::string> Walk(const std::string& start, const char* inner = "",
                                  std::size_t capacity = CatalogWalker::kSearchCapacity, std::string skip = "",
                                  std::size_t stopAfter = 0) {
        Recorder recorder(tmp_.Root().size());
        recorder.skip = std::move(skip);
        recorder.stopAfter_ = stopAfter;
        CatalogReader reader;
        CatalogWalker(reader, recorder, capacity, CatalogWalker::FolderOrder::kByName).Walk(start.c_str(), inner);
        return recorder.lines;
    }

    void WriteDisc(const std::string& relative, const std::string& name) {
        CatalogHeader header = test::MakeHeader(name);
        ASSERT_TRUE(test::WriteCatalog(tmp_.Path(relative), header,
                                       {{"", 0, {Dir("b"), File("a.txt", 1), File("ソ.txt", 2)}},
                                        {"b", 0, {Dir("c"), File("z", 3)}},
                                        {"c", 1, {File("x", 4)}}}));
    }

    test::TempTree tmp_;
};

TEST_F(CatalogWalkerTest, EveryEntryComesWithItsFullPathDepthFirst) {
    WriteDisc("disc.vmf", "DISC");
    // "ソ" ends in the byte 0x5C: one character, never a separator.
    EXPECT_EQ(Walk(tmp_.Path("disc.vmf"), "DISC"),
              (std::vector<std::string>{"E DISC\\a.txt 1", "E DISC\\b 7", "E DISC\\b\\c 4", "E DISC\\b\\c\\x 4",
                                        "E DISC\\b\\z 3", "E DISC\\ソ.txt 2"}));
    // From a directory inside.
    EXPECT_EQ(Walk(tmp_.Path("disc.vmf"), "DISC\\b\\c"), (std::vector<std::string>{"E DISC\\b\\c\\x 4"}));
    EXPECT_EQ(Walk(tmp_.Path("disc.vmf"), "DISC\\nothing"), std::vector<std::string>{});
}

TEST_F(CatalogWalkerTest, FoldersInNameOrderAndCataloguesThatAreLeft) {
    tmp_.MakeDir("Zeta");
    tmp_.MakeDir("alpha");
    tmp_.WriteFile("alpha\\notes.txt", "not a catalogue");
    tmp_.WriteFile("alpha\\fake.vmf", "no header");
    WriteDisc("alpha\\two.vmf", "TWO");
    WriteDisc("Zeta\\one.VMF", "ONE");
    CatalogHeader header = test::MakeHeader("");
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("Zeta\\bare.vmf"), header, {{"", 0, {File("only", 7)}}}));
    std::vector<std::string> lines = Walk(tmp_.Root(), "", CatalogWalker::kSearchCapacity, "TWO");
    std::vector<std::string> expected = {
        "F \\alpha alpha",
        "V \\alpha\\two.vmf TWO",  // left: its entries do not follow
        "F \\Zeta Zeta",
        // A catalogue without a name: its paths start with the separator.
        "V \\Zeta\\bare.vmf ",
        "E \\only 7",
        "V \\Zeta\\one.VMF ONE",
        "E ONE\\a.txt 1", "E ONE\\b 7", "E ONE\\b\\c 4", "E ONE\\b\\c\\x 4", "E ONE\\b\\z 3", "E ONE\\ソ.txt 2",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(CatalogWalkerTest, PathsBeyondTheCapacityAreReportedNotWalked) {
    std::string longName(200, 'n');
    std::string longDir(100, 'd');
    CatalogHeader header = test::MakeHeader(longName);
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("long.vmf"), header,
                                   {{"", 0, {Dir(longDir), File("short", 1)}}, {longDir, 0, {File("deep", 2)}}}));
    // 200 + 1 + 100 bytes do not fit the search's Windows path buffer...
    EXPECT_EQ(Walk(tmp_.Path("long.vmf"), longName.c_str()),
              (std::vector<std::string>{"U " + longDir, "E " + longName + "\\short 1"}));
    // ...and do fit the export's.
    EXPECT_EQ(Walk(tmp_.Path("long.vmf"), longName.c_str(), CatalogWalker::kExportCapacity),
              (std::vector<std::string>{"E " + longName + "\\" + longDir + " 2",
                                        "E " + longName + "\\" + longDir + "\\deep 2", "E " + longName + "\\short 1"}));
}

// "a\\b" would read back as the directory a and its entry b, and a name
// ending in a lead byte would swallow the separator after it: neither gets a
// path, nor is walked; a real a\\b keeps its own.
TEST_F(CatalogWalkerTest, NamesThatSplitIntoOtherComponentsAreUnreachable) {
    CatalogHeader header = test::MakeHeader("R");
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("split.vmf"), header,
                                   {{"", 0, {Dir("a"), Dir("a\\b"), File("cut\x81", 1), File("..", 2)}},
                                    {"a", 0, {File("b", 3)}},
                                    {"a\\b", 0, {File("hidden", 4)}}}));
    EXPECT_EQ(Walk(tmp_.Path("split.vmf"), "R", CatalogWalker::kExportCapacity),
              (std::vector<std::string>{"E R\\.. 2", "E R\\a 3", "E R\\a\\b 3", "U a\\b", "U cut\x81"}));
}

TEST_F(CatalogWalkerTest, DamagedCataloguesAreReportedOnceAndBounded) {
    ASSERT_TRUE(test::WriteHugeListCatalog(tmp_.Path("huge.vmf")));
    EXPECT_EQ(Walk(tmp_.Path("huge.vmf"), "R"), std::vector<std::string>{"D \\huge.vmf"});
    // 30 levels of two directories that all lead to both of the next level:
    // each of the 60 records is entered once, so 2 + 60 * 2 entries instead of 2^31.
    ASSERT_TRUE(test::WriteLoopingCatalog(tmp_.Path("loop.vmf"), 30, false));
    std::vector<std::string> lines = Walk(tmp_.Path("loop.vmf"), "R");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "D \\loop.vmf");
    EXPECT_EQ(lines.size(), 2u + 60u * 2u + 1u);
    // Lists that share their bytes are read once.
    ASSERT_TRUE(test::WriteLoopingCatalog(tmp_.Path("shared.vmf"), 60, true));
    lines = Walk(tmp_.Path("shared.vmf"), "R");
    EXPECT_EQ(lines, (std::vector<std::string>{"E R\\a " + std::to_string(kUnknownTotal),
                                               "E R\\b " + std::to_string(kUnknownTotal), "D \\shared.vmf"}));
}

TEST_F(CatalogWalkerTest, StopEndsTheWalk) {
    WriteDisc("disc.vmf", "DISC");
    EXPECT_EQ(Walk(tmp_.Path("disc.vmf"), "DISC", CatalogWalker::kSearchCapacity, "", 2),
              (std::vector<std::string>{"E DISC\\a.txt 1", "E DISC\\b 7"}));
}

std::string Iso(std::uint64_t time) {
    char text[kIsoTimeSize];
    std::size_t length = FormatIsoTime(time, text);
    EXPECT_EQ(length, std::string(text).size());
    return text;
}

TEST(FormatIsoTimeTest, UtcWithTheFractionOnlyWhenThereIsOne) {
    EXPECT_EQ(Iso(0), "");  // unknown
    EXPECT_EQ(Iso(1), "1601-01-01T00:00:00.0000001Z");
    EXPECT_EQ(Iso(116444736000000000ULL), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Iso(125963012960000000ULL), "2000-02-29T12:34:56Z");
    EXPECT_EQ(Iso(94405824000000000ULL - 1), "1900-02-28T23:59:59.9999999Z");  // 1900 has no leap day
    EXPECT_EQ(Iso(130604389193744385ULL), "2014-11-14T11:41:59.3744385Z");
    EXPECT_EQ(Iso(2650467744000000000ULL - 1), "9999-12-31T23:59:59.9999999Z");
    EXPECT_EQ(Iso(2650467744000000000ULL), "+10000-01-01T00:00:00Z");
    EXPECT_EQ(Iso(~0ULL), "+60056-05-28T05:36:10.9551615Z");
}

}  // namespace
}  // namespace cataloom
