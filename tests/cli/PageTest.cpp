// The exported page read back: its tables, taken out of the page (base64,
// then gzip), pinned byte for byte for a small data folder; and the page
// around them: the policy, the inert data element and nothing else of the
// tool's in it.
#include "cli/Commands.h"
#include "cli/HtmlPage.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace cataloom {
namespace {

std::string Unbase64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        std::size_t digit = kAlphabet.find(c);
        EXPECT_NE(digit, std::string::npos) << "not base64: " << static_cast<int>(c);
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return bytes;
}

std::string Gunzip(const std::string& packed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, 15 + 16), Z_OK);
    std::string bytes(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(&bytes[0]);
    stream.avail_out = static_cast<uInt>(bytes.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    bytes.resize(stream.total_out);
    inflateEnd(&stream);
    return bytes;
}

constexpr char kDataStart[] = "<script id=\"data\" type=\"application/octet-stream\">";

class PageTest : public testing::Test {
protected:
    int Export(const std::vector<std::string>& args) {
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        return cli::ExportCommand(argv);
    }
    // The data folder "D": the category 棚 holding x.vmf, named R: a file f
    // and a directory ソ (a second byte 0x5C) holding g.
    std::string MakeFolder() {
        tmp_.MakeDir("D");
        tmp_.MakeDir("D\\棚");
        CatalogHeader header = test::MakeHeader("R");
        EXPECT_TRUE(test::WriteCatalog(tmp_.Path("D\\棚\\x.vmf"), header,
                                       {{"", 0, {test::File("f", 5), test::Dir("ソ")}}, {"ソ", 0, {test::File("g", 1)}}}));
        return tmp_.Path("D");
    }
    std::string Page() { return test::ReadWholeFile(tmp_.Path("page.html")); }
    static std::string Tables(const std::string& page) {
        std::size_t start = page.find(kDataStart);
        std::size_t end = page.find("</script>", start);
        if (start == std::string::npos || end == std::string::npos) return {};
        start += sizeof(kDataStart) - 1;
        return Gunzip(Unbase64(page.substr(start, end - start)));
    }

    test::TempTree tmp_;
};

TEST_F(PageTest, TablesOfADataFolderByteForByte) {
    ASSERT_EQ(Export({test::NativePath(MakeFolder()), "--format", "html", "-o", test::NativePath(tmp_.Path("page.html"))}),
              cli::kExitOk);
    static const char kExpected[] =
        "CLP1\x04\x03"
        // The folder D, the category 棚 (UTF-8), no entries.
        "\x00\x00\x00\x01" "D"
        "\x00\x01\x00\x03\xe6\xa3\x9a"
        // The catalogue R: two entries, its file, file system, 1 directory,
        // 2 files, 5 bytes of files (plus 1), volume size and free space,
        // captured (seconds since 1601, plus 1).
        "\x01\x01\x02\x01R\x09\xe6\xa3\x9a/x.vmf\x04NTFS\x01\x02\x06"
        "\x89\xcf\x95\x9a\x12\x89\xcf\x95\x9a\x02\xff\xe7\xbf\xcc\x31"
        // The directory ソ: one entry, itself the catalogue's second entry.
        "\x02\x01\x01\x01"
        // Names, attributes, sizes plus 1, write times (seconds plus 1) as
        // differences.
        "\x07" "f\x00\xe3\x82\xbd\x00g"
        "\x20\x10\x20"
        "\x06\x02\x02"
        "\x90\xee\xb3\xa7\x61\x00\x00";
    EXPECT_EQ(Tables(Page()), std::string(kExpected, sizeof(kExpected) - 1));
}

TEST_F(PageTest, PageHoldsItsPolicyAndOnlyBase64Data) {
    MakeFolder();
    ASSERT_EQ(Export({test::NativePath(tmp_.Path("D\\棚\\x.vmf")), "--format", "html", "-o",
                      test::NativePath(tmp_.Path("page.html"))}),
              cli::kExitOk);
    std::string page = Page();
    EXPECT_EQ(page.compare(0, 16, "<!DOCTYPE html>\n"), 0);
    EXPECT_NE(page.find("<meta http-equiv=\"Content-Security-Policy\" content=\"" + cli::PagePolicy() + "\">"),
              std::string::npos);
    EXPECT_EQ(cli::PagePolicy().rfind("default-src 'none'; script-src 'sha256-", 0), 0u);
    EXPECT_EQ(page.find('@'), std::string::npos) << "a mark of the template left in the page";
    std::size_t start = page.find(kDataStart) + sizeof(kDataStart) - 1;
    std::string data = page.substr(start, page.find('<', start) - start);
    EXPECT_EQ(data.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);
    // One catalogue alone is the tree's root: its node has no parent.
    std::string tables = Tables(page);
    ASSERT_GT(tables.size(), 9u);
    EXPECT_EQ(tables.substr(0, 9), std::string("CLP1\x02\x03\x01\x00\x02", 9));
}

}  // namespace
}  // namespace cataloom
