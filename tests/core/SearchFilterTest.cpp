#include "core/SearchFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace cataloom {
namespace {

using Item = SearchFilter::Item;

constexpr std::uint64_t kSecond = 10000000ULL;
// 2020-01-01T00:00:00Z as a FILETIME.
constexpr std::uint64_t k2020 = 132223104000000000ULL;

TEST(SearchFilterTest, SizesAndDatesParse) {
    struct Size {
        const char* text;
        bool ok;
        std::uint64_t size;
    };
    const Size sizes[] = {
        {"0", true, 0},           {"100", true, 100},       {"1K", true, 1024},          {"1kb", true, 1024},
        {"100MB", true, 100ULL << 20}, {"2G", true, 2ULL << 30}, {"1T", true, 1ULL << 40},
        {"18446744073709551615", true, ~0ULL},  {"18446744073709551616", false, 0},
        {"16777216T", false, 0},  {"", false, 0},           {"K", false, 0},             {"-1", false, 0},
        {"1.5M", false, 0},       {"10 K", false, 0},       {"1KK", false, 0},
    };
    for (const Size& size : sizes) {
        std::uint64_t parsed = 7;
        EXPECT_EQ(ParseSize(size.text, parsed), size.ok) << size.text;
        if (size.ok) {
            EXPECT_EQ(parsed, size.size) << size.text;
        }
    }
    struct Date {
        const char* text;
        bool ok;
        std::uint64_t start, length;
    };
    const Date dates[] = {
        {"2020", true, k2020, 366 * 86400 * kSecond},
        {"2020-02", true, k2020 + 31 * 86400 * kSecond, 29 * 86400 * kSecond},
        {"2020-12", true, k2020 + 335 * 86400 * kSecond, 31 * 86400 * kSecond},
        {"2020-01-01", true, k2020, 86400 * kSecond},
        {"2020-01-01T10:30", true, k2020 + 37800 * kSecond, 60 * kSecond},
        {"2020-01-01T10:30:05Z", true, k2020 + 37805 * kSecond, kSecond},
        {"1601-01-01", true, 0, 86400 * kSecond},
        {"2021-02-29", false, 0, 0}, {"2020-13", false, 0, 0},   {"2020-00-10", false, 0, 0},
        {"2020-1-1", false, 0, 0},   {"1600", false, 0, 0},      {"2020-01-01T24:00", false, 0, 0},
        {"2020-01-01 10:30", false, 0, 0}, {"20", false, 0, 0},  {"2020-01-01T10:30+09:00", false, 0, 0},
    };
    for (const Date& date : dates) {
        platform::FileTime start = 1, end = 1;
        EXPECT_EQ(ParseDate(date.text, start, end), date.ok) << date.text;
        if (!date.ok) continue;
        EXPECT_EQ(start, date.start) << date.text;
        EXPECT_EQ(end - start, date.length) << date.text;
    }
}

// Filters at their edges: sizes exactly at a bound, dates at midnight UTC,
// and what each condition asks of categories, catalogues, directories and
// files.
TEST(SearchFilterTest, FiltersHoldAtTheirEdges) {
    struct Case {
        const char* what;
        const char* token;  // a window token, or an option "--x=value"
        Item item;
        const char* name;
        std::uint64_t size;
        std::uint64_t time;
        bool accepted;
    };
    const std::uint64_t midnight = k2020;
    const Case cases[] = {
        {"min size at the bound", "--min-size=100", Item::kFile, "a", 100, 1, true},
        {"min size below", "--min-size=100", Item::kFile, "a", 99, 1, false},
        {"max size at the bound", "--max-size=1K", Item::kFile, "a", 1024, 1, true},
        {"max size above", "--max-size=1K", Item::kFile, "a", 1025, 1, false},
        {"any size bound keeps directories out", "--min-size=0", Item::kDirectory, "a", 0, 1, false},
        {"min size 0 takes every file", "--min-size=0", Item::kFile, "a", 0, 1, true},
        {"a directory has no size", "--max-size=1G", Item::kDirectory, "a", 0, 1, false},
        {"size:>N excludes N", "size:>100", Item::kFile, "a", 100, 1, false},
        {"size:>N takes N+1", "size:>100", Item::kFile, "a", 101, 1, true},
        {"size:>=N", "size:>=100", Item::kFile, "a", 100, 1, true},
        {"size:<N excludes N", "size:<100", Item::kFile, "a", 100, 1, false},
        {"size:<=N", "size:<=100", Item::kFile, "a", 100, 1, true},
        {"size:<0 takes nothing", "size:<0", Item::kFile, "a", 0, 1, false},
        {"size:N is exact", "size:1K", Item::kFile, "a", 1024, 1, true},
        {"size:N is exact, not more", "size:1K", Item::kFile, "a", 1025, 1, false},
        {"size range low end", "size:1K..2K", Item::kFile, "a", 1024, 1, true},
        {"size range high end", "size:1K..2K", Item::kFile, "a", 2048, 1, true},
        {"size range past", "size:1K..2K", Item::kFile, "a", 2049, 1, false},
        {"open size range", "size:..2K", Item::kFile, "a", 0, 1, true},
        {"newer at midnight", "--newer=2020-01-01", Item::kFile, "a", 1, midnight, true},
        {"newer a tick before", "--newer=2020-01-01", Item::kFile, "a", 1, midnight - 1, false},
        {"older at midnight", "--older=2020-01-01", Item::kFile, "a", 1, midnight, false},
        {"older a tick before", "--older=2020-01-01", Item::kFile, "a", 1, midnight - 1, true},
        {"unknown time", "--newer=1601", Item::kFile, "a", 1, 0, false},
        {"day token, its last tick", "dm:2020-01-01", Item::kFile, "a", 1, midnight + 86400 * kSecond - 1, true},
        {"day token, next midnight", "dm:2020-01-01", Item::kFile, "a", 1, midnight + 86400 * kSecond, false},
        {"year range takes the last year whole", "dm:2019..2020", Item::kFile, "a", 1,
         midnight + 365 * 86400 * kSecond, true},
        {"year range ends with it", "dm:2019..2020", Item::kFile, "a", 1, midnight + 366 * 86400 * kSecond, false},
        {"dm:>year is after it", "dm:>2019", Item::kFile, "a", 1, midnight - 1, false},
        {"dm:>year at the next", "dm:>2019", Item::kFile, "a", 1, midnight, true},
        {"dm:<=year", "dm:<=2019", Item::kFile, "a", 1, midnight - 1, true},
        {"directories have dates", "dm:2020", Item::kDirectory, "a", 0, midnight, true},
        {"catalogues by capture time", "dm:2020", Item::kCatalog, "a.vmf", 0, midnight, true},
        {"categories have no date", "dm:2020", Item::kCategory, "a", 0, midnight, false},
        {"files", "type:f", Item::kFile, "a", 0, 0, true},
        {"a directory is not a file", "type:f", Item::kDirectory, "a", 0, 0, false},
        {"catalogues are folders", "type:d", Item::kCatalog, "a", 0, 0, true},
        {"categories are folders", "--type=d", Item::kCategory, "a", 0, 0, true},
        {"a file is not a folder", "type:d", Item::kFile, "a", 0, 0, false},
        {"extension", "ext:mp3,flac", Item::kFile, "x.FLAC", 0, 0, true},
        {"last extension", "--ext=.gz", Item::kFile, "x.tar.gz", 0, 0, true},
        {"not the first", "ext:tar", Item::kFile, "x.tar.gz", 0, 0, false},
        {"no extension", "ext:mp3", Item::kFile, "mp3", 0, 0, false},
        {"a directory has no extension", "ext:mp3", Item::kDirectory, "x.mp3", 0, 0, false},
        {"a dot in a double-byte character", "ext:mp3", Item::kFile, "\x81\x2e" "mp3", 0, 0, false},
    };
    for (const Case& c : cases) {
        SearchFilter filter;
        const std::string token = c.token;
        bool set = false;
        if (token.rfind("--", 0) == 0) {
            const std::string option = token.substr(0, token.find('='));
            const char* value = c.token + option.size() + 1;
            if (option == "--min-size") set = filter.SetMinSize(value);
            else if (option == "--max-size") set = filter.SetMaxSize(value);
            else if (option == "--newer") set = filter.SetNewer(value);
            else if (option == "--older") set = filter.SetOlder(value);
            else if (option == "--type") set = filter.SetType(value);
            else if (option == "--ext") set = filter.SetExtensions(value);
        } else {
            std::string pattern, error;
            set = ParseSearchText(token, pattern, filter, error) && pattern.empty();
        }
        ASSERT_TRUE(set) << c.what;
        EXPECT_EQ(filter.Accepts(c.item, c.name, c.size, c.time), c.accepted) << c.what;
    }
}

TEST(SearchFilterTest, TheWindowsTextSplitsIntoPatternAndTokens) {
    struct Case {
        const char* text;
        bool ok;
        const char* pattern;
        const char* error;
    };
    const Case cases[] = {
        {"  two  spaces kept ", true, "  two  spaces kept ", ""},
        {"a*b?", true, "a*b?", ""},
        {"ext:mp3 size:>100MB dm:2020..2023 beatles", true, "beatles", ""},
        {"the  ext:mp3   white album", true, "the white album", ""},
        {"type:f", true, "", ""},
        {"size:big x", false, "", "size:big"},
        {"color:red x", false, "", "color:red"},
        {"ext: x", false, "", "ext:"},
        {"dm:2020.. x", true, "x", ""},
        {"dm:.. x", false, "", "dm:.."},
    };
    for (const Case& c : cases) {
        std::string pattern = "unchanged", error;
        SearchFilter filter;
        EXPECT_EQ(ParseSearchText(c.text, pattern, filter, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(pattern, c.pattern) << c.text;
        }
        EXPECT_EQ(error, c.error) << c.text;
    }
    std::string pattern, error;
    SearchFilter filter;
    ASSERT_TRUE(ParseSearchText("ext:mp3 size:>100MB dm:2020..2023 beatles", pattern, filter, error));
    EXPECT_EQ(filter.extensions, std::vector<std::string>{"mp3"});
    EXPECT_EQ(filter.minSize, (100ULL << 20) + 1);
    EXPECT_EQ(filter.maxSize, SearchFilter::kNoLimit);
    EXPECT_EQ(filter.newer, k2020);
    EXPECT_EQ(filter.older, k2020 + (366 + 365 + 365 + 365) * 86400 * kSecond);
    EXPECT_FALSE(filter.IsEmpty());
}

}  // namespace
}  // namespace cataloom
