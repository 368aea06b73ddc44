// The exact-names extension: written only when a name differs from its
// stored form, read back for entries, directories and the catalogue name,
// invisible to a reader of the documented layout, and ignored whole when
// damaged.
#include "core/CatalogCheck.h"
#include "core/CatalogReader.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/ExactNameTable.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

// Names outside code page 932 stay out of the test macros, which turn their
// arguments into (code page 932) text.
const std::string kBeyonce = u8"Beyoncé";
const std::string kEAcute = u8"é";

// 259 UTF-16 units, the longest name Windows allows: 777 bytes of UTF-8.
std::string LongestName() {
    std::string name;
    for (int i = 0; i < 259; ++i) name += u8"한";
    return name;
}

std::vector<std::string> Names() {
    std::vector<std::string> names = test::ExactNameTable();
    names.push_back(LongestName());
    return names;
}

// The stored form of each name, made unique the simple way the test needs
// (the capture has its own rule), and the exact name where it differs.
struct Stored {
    std::string name;
    std::string exact;
};
std::vector<Stored> StoredForms(const std::vector<std::string>& names) {
    std::vector<Stored> out;
    std::set<std::string> used;
    for (std::size_t i = 0; i < names.size(); ++i) {
        bool changed = false;
        std::string stored = platform::Utf8ToStored(names[i], changed);
        if (stored.size() > 200) stored.resize(200);  // room for the directory prefix
        if (!used.insert(stored).second) {
            stored += "~" + std::to_string(i);
            changed = true;
            used.insert(stored);
        }
        out.push_back({stored, changed ? names[i] : std::string()});
    }
    return out;
}

class ExactNamesTest : public testing::Test {
protected:
    // The root holds every name as a file and as a directory (each with one
    // file "x"); the catalogue is named `catalogName`.
    std::string Write(const std::string& file, const std::vector<std::string>& names, const std::string& catalogName,
                      bool withExact = true) {
        std::vector<Stored> stored = StoredForms(names);
        bool changed = false;
        CatalogHeader header = test::MakeHeader(platform::Utf8ToStored(catalogName, changed));
        std::vector<test::TreeDirectory> tree(1);
        tree[0].exact = changed && withExact ? catalogName : "";
        for (const Stored& s : stored) {
            EntryData f = File(s.name, 7);
            if (withExact) f.exact = s.exact;
            tree[0].entries.push_back(f);
            // A file and a directory may share a name: the directory is "d" + name.
            test::TreeDirectory d;
            d.name = "d" + s.name;
            d.parent = 0;
            d.entries = {File("x", 1)};
            if (withExact && !s.exact.empty()) d.exact = "d" + s.exact;
            EntryData e = Dir(d.name);
            if (withExact) e.exact = d.exact;
            tree[0].entries.push_back(e);
            tree.push_back(d);
        }
        std::string path = tmp_.Path(file);
        EXPECT_TRUE(test::WriteCatalog(path, header, tree));
        return path;
    }

    // Every exact name the reader gives for the root's entries, then for the
    // directory records after the root.
    static std::multiset<std::string> ReadNames(CatalogReader& reader) {
        std::multiset<std::string> names;
        std::uint8_t* list = nullptr;
        if (reader.ReadEntryList("", &list) != kOk) return {"<failed>"};
        for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
            names.insert(reader.ExactEntryName(0, list, e));
        platform::TaskFree(list);
        for (std::size_t r = 1; r < reader.DirectoryCount(); ++r) names.insert(reader.ExactDirectoryName(r));
        return names;
    }

    static std::multiset<std::string> Expected(const std::vector<std::string>& names) {
        std::multiset<std::string> expected;
        for (const std::string& n : names) {
            expected.insert(n);
            expected.insert("d" + n);
            expected.insert("d" + n);
        }
        return expected;
    }

    test::TempTree tmp_;
};

TEST_F(ExactNamesTest, EveryNameReadsBackExactly) {
    std::vector<std::string> names = Names();
    std::string path = Write("e.vmf", names, kBeyonce);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), kOk);
    EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kSound);
    EXPECT_EQ(ReadNames(reader), Expected(names));
    EXPECT_EQ(reader.ExactDirectoryName(0), kBeyonce);
    // Directories are still reached by their stored names.
    std::vector<Stored> stored = StoredForms(names);
    EXPECT_GE(reader.FindRecord(("R\\d" + stored[2].name).c_str()), 1);

    CatalogCheck check;
    EXPECT_TRUE(check.Run(path.c_str()));
    EXPECT_EQ(check.Problems(), std::vector<std::string>{});
    EXPECT_EQ(check.Notes(), std::vector<std::string>{"exact names: " + std::to_string(reader.Exact().Count()) +
                                                       " names differ from their stored form"});
}

TEST_F(ExactNamesTest, ADocumentedLayoutReaderSeesTheSameBytes) {
    std::vector<std::string> names = Names();
    std::string with = test::ReadWholeFile(Write("with.vmf", names, u8"Motörhead"));
    std::string without = test::ReadWholeFile(Write("without.vmf", names, u8"Motörhead", false));
    ASSERT_GT(with.size(), without.size());
    EXPECT_EQ(with.substr(0, without.size()), without);
    EXPECT_EQ(with.substr(with.size() - kExactTrailerSize, 4), "!vmx");

    // Names that all fit: no extension at all.
    std::string fit = test::ReadWholeFile(Write("fit.vmf", {"cafe", u8"写真", u8"♪"}, "DISC"));
    std::string plain = test::ReadWholeFile(Write("plain.vmf", {"cafe", u8"写真", u8"♪"}, "DISC", false));
    EXPECT_EQ(fit, plain);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("fit.vmf").c_str()), kOk);
    EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kAbsent);
    EXPECT_EQ(ReadNames(reader), Expected({"cafe", u8"写真", u8"♪"}));
}

// A header rewrite keeps every exact name; given the catalogue's new name, it
// keeps that one only where the stored form differs.
TEST_F(ExactNamesTest, HeaderRewritesKeepTheExactNames) {
    std::vector<std::string> names = Names();
    std::string path = Write("e.vmf", names, kBeyonce);
    const std::string before = test::ReadWholeFile(path);
    std::size_t others = 0;  // exact names of entries and directories
    {
        CatalogReader reader;
        ASSERT_EQ(reader.Open(path.c_str()), kOk);
        others = reader.Exact().Count() - 1;
    }
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(path.c_str(), &header));
    header.serial = 77;
    ASSERT_TRUE(ReplaceHeader(path.c_str(), &header));
    EXPECT_EQ(test::ReadWholeFile(path).substr(kHeaderSize), before.substr(kHeaderSize));

    const std::string motorhead = u8"Motörhead";
    const std::string fits = u8"新しい名前";
    for (const std::string& exact : {motorhead, fits, kBeyonce}) {
        SCOPED_TRACE(exact);
        bool changed = false;
        std::memset(header.name, 0, sizeof header.name);
        std::string stored = platform::Utf8ToStored(exact, changed);
        std::memcpy(header.name, stored.data(), stored.size());
        ASSERT_TRUE(ReplaceHeader(path.c_str(), &header, exact.c_str()));
        CatalogReader reader;
        ASSERT_EQ(reader.Open(path.c_str()), kOk);
        EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kSound);
        EXPECT_EQ(reader.ExactDirectoryName(0), exact);
        EXPECT_EQ(ReadNames(reader), Expected(names));
        EXPECT_EQ(reader.Exact().Count(), others + (changed ? 1 : 0));
    }
    // Back where it started, byte for byte.
    EXPECT_EQ(test::ReadWholeFile(path).substr(kHeaderSize), before.substr(kHeaderSize));
}

TEST(ExactBlockTest, LayoutByteForByte) {
    std::vector<std::uint8_t> block;
    std::vector<ExactName> names = {
        {ExactKind::kEntry, 0x102, kEAcute}, {ExactKind::kCatalog, 0, "C"}, {ExactKind::kDirectory, 2, "D"}};
    ASSERT_TRUE(BuildExactBlock(names, block));
    const std::uint8_t records[] = {
        0, 0, 1, 0, 0, 0, 0, 0, 'C',                  // catalogue, 1 byte, key 0
        1, 0, 1, 0, 2, 0, 0, 0, 'D',                  // directory id 2
        2, 0, 2, 0, 0x02, 0x01, 0, 0, 0xC3, 0xA9,     // entry at 0x102, "é"
    };
    std::vector<std::uint8_t> expected(records, records + sizeof records);
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, records, sizeof records));
    const std::uint8_t trailer[] = {'!', 'v', 'm', 'x', 1, 0, 0, 0, sizeof records, 0, 0, 0, 3, 0, 0, 0,
                                    static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8),
                                    static_cast<std::uint8_t>(crc >> 16), static_cast<std::uint8_t>(crc >> 24)};
    expected.insert(expected.end(), trailer, trailer + sizeof trailer);
    EXPECT_EQ(block, expected);

    // Nothing to keep, nothing written; keys given twice or bad names refused.
    ASSERT_TRUE(BuildExactBlock({}, block));
    EXPECT_TRUE(block.empty());
    EXPECT_FALSE(BuildExactBlock({{ExactKind::kEntry, 5, "a"}, {ExactKind::kEntry, 5, "b"}}, block));
    EXPECT_FALSE(BuildExactBlock({{ExactKind::kEntry, 5, ""}}, block));
    EXPECT_FALSE(BuildExactBlock({{ExactKind::kEntry, 5, std::string("a\0b", 3)}}, block));
    EXPECT_FALSE(BuildExactBlock({{ExactKind::kEntry, 5, std::string(kMaxExactNameBytes + 1, 'a')}}, block));
}

// Damage to the block or its trailer: the catalogue still opens and reads
// with the stored names, and check names the damage.
class ExactNamesDamageTest : public ExactNamesTest {
protected:
    void SetUp() override {
        path_ = Write("e.vmf", {u8"Beyoncé", u8"한국어"}, "DISC");
        sound_ = test::ReadWholeFile(path_);
        CatalogReader reader;
        ASSERT_EQ(reader.Open(path_.c_str()), kOk);
        start_ = reader.Exact().Start();
        ASSERT_EQ(reader.Exact().Count(), 6u);
        fallback_ = Expected({platform::StoredToUtf8(StoredForms({u8"Beyoncé"})[0].name.c_str()),
                              platform::StoredToUtf8(StoredForms({u8"한국어"})[0].name.c_str())});
    }

    std::size_t Trailer() const { return sound_.size() - kExactTrailerSize; }

    // Replaces the records with `records` under a trailer whose checksum
    // matches, claiming `count` records.
    std::string Forge(const std::string& records, std::uint32_t count) const {
        std::string bytes = sound_.substr(0, start_) + records + sound_.substr(Trailer());
        std::size_t trailer = bytes.size() - kExactTrailerSize;
        Store32(&bytes[trailer + 8], static_cast<std::uint32_t>(records.size()));
        Store32(&bytes[trailer + 12], count);
        Store32(&bytes[trailer + 16], static_cast<std::uint32_t>(crc32(
                                          0, reinterpret_cast<const Bytef*>(records.data()), records.size())));
        return bytes;
    }

    std::string path_;
    std::string sound_;
    std::size_t start_ = 0;
    std::multiset<std::string> fallback_;
};

std::string Record(std::uint8_t kind, std::uint32_t key, const std::string& name) {
    std::string r(8, '\0');
    r[0] = static_cast<char>(kind);
    Store16(&r[2], static_cast<std::uint16_t>(name.size()));
    Store32(&r[4], key);
    return r + name;
}

TEST_F(ExactNamesDamageTest, AnyDamageFallsBackToTheStoredNames) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string&)> damage;
        const char* problem;  // what check says, within its finding
    };
    const std::string a = Record(2, 0, "A");
    const Case cases[] = {
        {"block cut short", [&](const std::string& s) { return s.substr(0, start_) + s.substr(start_ + 3); },
         "overlaps the entry lists"},
        {"one record more than written",
         [&](const std::string& s) {
             std::string b = s;
             Store32(&b[Trailer() + 12], Load32(&b[Trailer() + 12]) + 1);
             return b;
         },
         "records, the trailer says"},
        {"block size past the start of the file",
         [&](const std::string& s) {
             std::string b = s;
             Store32(&b[Trailer() + 8], 0xFFFFFF00u);
             return b;
         },
         "overlaps the entry lists"},
        {"a name byte changed",
         [&](const std::string& s) {
             std::string b = s;
             b[start_ + 9] ^= 1;
             return b;
         },
         "checksum does not match"},
        {"unknown version",
         [&](const std::string& s) {
             std::string b = s;
             b[Trailer() + 4] = 2;
             return b;
         },
         "version 2 is not known"},
        {"a key given twice", [&](const std::string&) { return Forge(a + a, 2); }, "repeats a key"},
        {"keys out of order", [&](const std::string&) { return Forge(Record(2, 9, "B") + a, 2); }, "out of order"},
        {"an empty name", [&](const std::string&) { return Forge(Record(2, 0, "") + Record(2, 1, "AB"), 2); },
         "name length of 0"},
        {"a name past the block", [&](const std::string&) { return Forge(Record(2, 0, "AAAAA").substr(0, 9), 1); },
         "name length of 5"},
        {"an unknown kind", [&](const std::string&) { return Forge(Record(7, 0, "A"), 1); }, "unknown kind"},
        {"a zero byte in a name",
         [&](const std::string&) { return Forge(Record(2, 0, std::string("A\0B", 3)), 1); }, "zero byte"},
        {"a second catalogue name", [&](const std::string&) { return Forge(Record(0, 3, "C"), 1); },
         "second catalogue"},
        {"no records", [&](const std::string&) { return Forge("", 0); }, "0 records cannot fill"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tmp_.WriteFile("d.vmf", c.damage(sound_));
        std::string damaged = tmp_.Path("d.vmf");
        CatalogReader reader;
        ASSERT_EQ(reader.Open(damaged.c_str()), kOk);
        EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kDamaged);
        EXPECT_NE(reader.Exact().Problem().find(c.problem), std::string::npos) << reader.Exact().Problem();
        EXPECT_EQ(ReadNames(reader), fallback_);
        EXPECT_EQ(reader.ExactDirectoryName(0), "DISC");

        CatalogCheck check;
        EXPECT_FALSE(check.Run(damaged.c_str()));
        ASSERT_EQ(check.Problems().size(), 1u);
        EXPECT_NE(check.Problems()[0].find(c.problem), std::string::npos) << check.Problems()[0];
    }
}

// A sound block whose keys name nothing in the catalogue: the reader never
// matches them; check reports each.
TEST_F(ExactNamesDamageTest, CheckReportsKeysThatNameNothing) {
    tmp_.WriteFile("d.vmf", Forge(Record(1, 1, "R") + Record(1, 99, "D") + Record(2, 1, "E") + Record(2, 100000, "F"),
                                  4));
    CatalogCheck check;
    EXPECT_FALSE(check.Run(tmp_.Path("d.vmf").c_str()));
    EXPECT_EQ(check.Problems(), (std::vector<std::string>{
                                    "exact names: directory id 1 is the root (its name is the catalogue's)",
                                    "exact names: directory id 99 names no directory record",
                                    "exact names: entry key 1 is not the start of an entry record",
                                    "exact names: entry key 100000 is not the start of an entry record",
                                }));
}

}  // namespace
}  // namespace cataloom
