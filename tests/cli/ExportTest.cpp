// The export read back: a catalogue with awkward names exported to CSV,
// parsed as RFC 4180 says, matches what the reader lists entry by entry;
// and the output file appears only when complete.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "core/CatalogPath.h"
#include "core/CatalogReader.h"
#include "core/StoredName.h"
#include "platform/Console.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace cataloom {
namespace {

using Record = std::vector<std::string>;

// RFC 4180: records end in CR LF; a quoted field may hold anything, a quote
// inside it doubled.
std::vector<Record> ParseCsv(const std::string& text) {
    std::vector<Record> records;
    Record record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] != '"') field += text[i];
                else if (i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
                else break;
            }
            ++i;  // the closing quote
        }
        while (i < text.size() && text[i] != ',' && text[i] != '\r') field += text[i++];
        record.push_back(field);
        field.clear();
        if (i < text.size() && text[i] == '\r') {
            EXPECT_EQ(text.compare(i, 2, "\r\n"), 0) << "a record ends in CR LF";
            records.push_back(record);
            record.clear();
            i += 2;
        } else {
            ++i;  // the comma
        }
    }
    EXPECT_TRUE(record.empty()) << "the last record ends in CR LF";
    return records;
}

// "[+]YYYY[Y]-MM-DDThh:mm:ss[.fffffff]Z" back to a file time; "" is 0.
std::uint64_t ParseIsoTime(std::string text) {
    if (text.empty()) return 0;
    if (text[0] == '+') text.erase(0, 1);
    std::size_t dash = text.find('-');
    int y = std::stoi(text.substr(0, dash));
    text.erase(0, dash - 4);  // the rest as after a four-digit year
    int m = std::stoi(text.substr(5, 2)), d = std::stoi(text.substr(8, 2));
    std::uint64_t days = 0;
    for (int year = 1601; year < y; ++year) days += (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 366 : 365;
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    for (int month = 1; month < m; ++month) days += kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
    days += static_cast<std::uint64_t>(d - 1);
    std::uint64_t seconds = days * 86400 + std::stoull(text.substr(11, 2)) * 3600 +
                            std::stoull(text.substr(14, 2)) * 60 + std::stoull(text.substr(17, 2));
    std::uint64_t fraction = text[19] == '.' ? std::stoull(text.substr(20, 7)) : 0;
    EXPECT_EQ(text.back(), 'Z');
    return seconds * 10000000 + fraction;
}

// Every entry the reader lists below `directory`, depth first, as the
// export's columns would hold them in code page 932.
void ListAll(CatalogReader& reader, std::string directory, const std::string& below, std::vector<Record>& out) {
    std::uint8_t* block = nullptr;
    ASSERT_EQ(reader.ReadEntryList(directory.c_str(), &block), kOk) << directory;
    TaskMemory<std::uint8_t> list(block);
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) {
        // A damaged name in its visible form.
        std::string name = VisibleName(EntryRecord::Name(e));
        std::string path = below.empty() ? name : below + "/" + name;
        bool dir = EntryRecord::IsDirectory(e);
        // A cell a spreadsheet would take for a formula starts with an apostrophe.
        bool formula = std::string("=+-@\t\r").find(path[0]) != std::string::npos;
        out.push_back({formula ? "'" + path : path, dir ? "directory" : "file", std::to_string(EntryRecord::FileSize(e)),
                       std::to_string(EntryRecord::CreationTime(e)), std::to_string(EntryRecord::WriteTime(e)),
                       std::to_string(EntryRecord::Attributes(e))});
        if (dir) ListAll(reader, directory + "\\" + EntryRecord::Name(e), path, out);
    }
}

EntryData Entry(const std::string& name, std::uint64_t size, std::uint64_t created, std::uint64_t written,
                std::uint32_t attributes) {
    EntryData e = test::File(name, size, attributes);
    e.creationTime = created;
    e.writeTime = written;
    return e;
}

class ExportTest : public testing::Test {
protected:
    int Export(const std::vector<std::string>& args) {
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        return cli::ExportCommand(argv);
    }

    test::TempTree tmp_;
};

TEST_F(ExportTest, CsvReadsBackAsTheReaderListsTheCatalogue) {
    // Commas, quotes, CR, LF, tabs, spaces at both ends, a formula-like
    // name, and double-byte characters whose second byte is 0x5C.
    std::vector<EntryData> root = {test::Dir("ソ"), Entry("a,b", 1, 0, 0, 0x20), Entry("q\"uote\"", 2, 1, 2, 0x21),
                                   Entry("new\nline", 3, 130604389193744385ULL, 130604389193744386ULL, 0x22),
                                   Entry("cr\rx", 4, 116444736000000000ULL, 125963012960000000ULL, 0x24),
                                   Entry("\ttab ", 5, ~0ULL, 10000000ULL, 0x80), Entry("=1+1", 6, 7, 8, 0x2000)};
    std::vector<EntryData> sub = {Entry("表,\".txt", 1ULL << 40, 5, 6, 0x20), test::Dir("深い")};
    std::vector<EntryData> deep;
    for (int i = 0; i < 300; ++i) deep.push_back(Entry("f" + std::to_string(i) + "ソ", i, i + 1, i + 2, 0x20));
    CatalogHeader header = test::MakeHeader("Name, \"q\"");
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("awkward.vmf"), header, {{"", 0, root}, {"ソ", 0, sub}, {"深い", 1, deep}}));

    std::string csv = tmp_.Path("out.csv");
    ASSERT_EQ(Export({test::NativePath(tmp_.Path("awkward.vmf")), "-o", test::NativePath(csv)}), cli::kExitOk);
    std::vector<Record> rows = ParseCsv(test::ReadWholeFile(csv));

    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("awkward.vmf").c_str()), kOk);
    std::vector<Record> expected;
    ListAll(reader, header.name, "", expected);
    ASSERT_EQ(expected.size(), 6u + 2u + 300u + 1u);
    ASSERT_EQ(rows.size(), expected.size() + 1);
    EXPECT_EQ(rows[0], (Record{"catalogue", "catalogue_file", "path", "type", "size", "created", "modified",
                               "attributes"}));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Record& row = rows[i + 1];
        ASSERT_EQ(row.size(), 8u) << i;
        EXPECT_EQ(platform::console::ArgumentText(row[0].c_str()), "Name, \"q\"");
        EXPECT_EQ(row[1], test::NativePath(tmp_.Path("awkward.vmf")));
        Record got = {platform::console::ArgumentText(row[2].c_str()), row[3], row[4],
                      std::to_string(ParseIsoTime(row[5])), std::to_string(ParseIsoTime(row[6])), row[7]};
        EXPECT_EQ(got, expected[i]) << i;
    }
}

TEST_F(ExportTest, OutputAppearsOnlyWhenFinished) {
    std::string target = tmp_.Path("list.csv");
    std::string big(200000, 'x');
    {
        cli::Output output;
        ASSERT_TRUE(output.Open(target));
        output.Write(big);
        output.Put('!');
        // Not finished: as after a failure or an interruption.
    }
    EXPECT_TRUE(std::filesystem::is_empty(test::NativePath(tmp_.Root())));
    tmp_.WriteFile("list.csv", "old");
    {
        cli::Output output;
        ASSERT_TRUE(output.Open(target));
        output.Write("abc", 3);
        EXPECT_EQ(test::ReadWholeFile(target), "old");
    }
    EXPECT_EQ(test::ReadWholeFile(target), "old");
    {
        cli::Output output;
        ASSERT_TRUE(output.Open(target));
        output.Write("head,");
        output.Write(big);
        output.Put('!');
        ASSERT_TRUE(output.Finish());
    }
    EXPECT_EQ(test::ReadWholeFile(target), "head," + big + "!");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::NativePath(tmp_.Root()))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);  // no temporary file left beside it
    cli::Output nowhere;
    EXPECT_FALSE(nowhere.Open(tmp_.Path("missing\\list.csv")));
}

}  // namespace
}  // namespace cataloom
