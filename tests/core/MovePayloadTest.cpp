// The move format's block, byte by byte, and the reading of untrusted
// blocks: every offset and terminator inside the block, every path inside
// the data folder and a real change of place.
#include "core/MovePayload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cataloom {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Paths = std::vector<std::string>;

Bytes Header(std::uint32_t offset, std::uint32_t wide) {
    Bytes b(20, 0);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<std::uint8_t>(offset >> (8 * i));
        b[16 + i] = static_cast<std::uint8_t>(wide >> (8 * i));
    }
    return b;
}

Bytes Join(Bytes a, const std::string& tail) {
    a.insert(a.end(), tail.begin(), tail.end());
    return a;
}

bool Parses(const Bytes& block) {
    MovePayload payload;
    return payload.Parse(block.data(), block.size());
}

TEST(MovePayloadTest, OnePathIsHeaderPathZeroAndZero) {
    const Bytes block = MovePayload::Build({"D:\\Data\\Music\\a.vmf"}, 0x102, -5);
    const Bytes expected = Join({0x14, 0, 0, 0, 0x02, 0x01, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0},
                                std::string("D:\\Data\\Music\\a.vmf\0\0", 21));
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.size(), 20u + 19u + 1u + 1u);
}

TEST(MovePayloadTest, SeveralPathsKeepTheirOrderEachWithItsZero) {
    const Bytes block = MovePayload::Build({"D:\\d\\ソフト", "D:\\d\\b.vmf"}, 0, 0);
    ASSERT_EQ(block.size(), 20u + 12u + 11u + 1u);
    EXPECT_EQ(std::string(block.begin() + 20, block.end()), std::string("D:\\d\\ソフト\0D:\\d\\b.vmf\0\0", 24));
    MovePayload payload;
    ASSERT_TRUE(payload.Parse(block.data(), block.size()));
    EXPECT_FALSE(payload.Wide());
    EXPECT_EQ(payload.Paths(), (Paths{"D:\\d\\ソフト", "D:\\d\\b.vmf"}));
}

TEST(MovePayloadTest, NothingToListBuildsNoBlock) {
    EXPECT_TRUE(MovePayload::Build({}, 1, 2).empty());
    EXPECT_TRUE(MovePayload::Build({"C:\\a", ""}, 1, 2).empty());
}

TEST(MovePayloadTest, BlocksWhoseListLeavesTheBlockAreRefused) {
    const std::string list("C:\\d\\a.vmf\0\0", 12);
    EXPECT_TRUE(Parses(Join(Header(20, 0), list)));
    EXPECT_FALSE(Parses(Bytes(19, 0))) << "shorter than the header";
    EXPECT_FALSE(Parses(Header(20, 0))) << "the list starts at the end";
    EXPECT_FALSE(Parses(Join(Header(32, 0), list))) << "the list starts past the end";
    EXPECT_FALSE(Parses(Join(Header(0xFFFFFFF0u, 0), list))) << "an offset that wraps";
    EXPECT_FALSE(Parses(Join(Header(12, 0), list))) << "the list starts inside the header";
    EXPECT_FALSE(Parses(Join(Header(20, 0), std::string("C:\\d\\a.vmf\0", 11)))) << "no double zero";
    EXPECT_FALSE(Parses(Join(Header(20, 0), "C:\\d\\a.vmf"))) << "no zero at all";
    EXPECT_FALSE(Parses(Join(Header(20, 0), std::string("\0\0", 2)))) << "no path";
    // A list at a later offset is read from there.
    MovePayload payload;
    Bytes later = Join(Header(24, 0), std::string("junkC:\\x\0\0", 10));
    ASSERT_TRUE(payload.Parse(later.data(), later.size()));
    EXPECT_EQ(payload.Paths(), Paths{"C:\\x"});
}

TEST(MovePayloadTest, PathsLongerThanAWindowsPathAreRefused) {
    const std::string longest(259, 'a');
    EXPECT_TRUE(Parses(Join(Header(20, 0), longest + std::string("\0\0", 2))));
    EXPECT_FALSE(Parses(Join(Header(20, 0), longest + "b" + std::string("\0\0", 2))));
}

TEST(MovePayloadTest, WideBlocksAreReadInUtf16Units) {
    Bytes wide = Header(20, 1);
    for (char16_t c : std::u16string(u"C:\\表\0D\0\0", 8)) {
        wide.push_back(static_cast<std::uint8_t>(c & 0xFF));
        wide.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    MovePayload payload;
    ASSERT_TRUE(payload.Parse(wide.data(), wide.size()));
    EXPECT_TRUE(payload.Wide());
    EXPECT_EQ(payload.WidePaths(), (std::vector<std::u16string>{u"C:\\表", u"D"}));
    EXPECT_TRUE(payload.Paths().empty());
    wide.pop_back();  // the final zero cut in half
    EXPECT_FALSE(payload.Parse(wide.data(), wide.size()));
    EXPECT_TRUE(payload.WidePaths().empty());
}

TEST(MoveRulesTest, OnlyPlainPathsInsideTheDataFolder) {
    using move_rules::IsInside;
    EXPECT_TRUE(IsInside("C:\\data", "C:\\data\\a.vmf"));
    EXPECT_TRUE(IsInside("C:\\data\\", "C:\\data\\音楽\\a.vmf"));
    EXPECT_TRUE(IsInside("C:\\data", "c:\\DATA\\x"));
    EXPECT_TRUE(IsInside("C:\\data", "C:\\data\\ソ\\表"));  // trail bytes equal to a backslash
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\database\\a.vmf"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\other\\a.vmf"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\..\\secret.txt"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\a\\..\\..\\x"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\.\\a.vmf"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\a\\\\b"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\a\\"));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\a. "));
    EXPECT_FALSE(IsInside("C:\\data", "C:\\data\\a:b"));
    EXPECT_FALSE(IsInside("", "C:\\data\\a"));
    EXPECT_FALSE(IsInside("C:\\data", nullptr));
}

TEST(MoveRulesTest, AMoveMustChangeThePlace) {
    using move_rules::ChangesPlace;
    EXPECT_TRUE(ChangesPlace("C:\\d\\A\\x.vmf", "C:\\d\\B"));
    EXPECT_TRUE(ChangesPlace("C:\\d\\A\\x.vmf", "C:\\d"));
    EXPECT_TRUE(ChangesPlace("C:\\d\\A", "C:\\d\\AB"));
    EXPECT_TRUE(ChangesPlace("C:\\d\\A\\B", "C:\\d\\A\\C\\"));
    EXPECT_FALSE(ChangesPlace("C:\\d\\A\\x.vmf", "C:\\d\\A")) << "already there";
    EXPECT_FALSE(ChangesPlace("C:\\d\\A\\x.vmf", "C:\\d\\a\\")) << "already there, other case";
    EXPECT_FALSE(ChangesPlace("C:\\d\\A", "C:\\d\\")) << "already there";
    EXPECT_FALSE(ChangesPlace("C:\\d\\A", "C:\\d\\A")) << "onto itself";
    EXPECT_FALSE(ChangesPlace("C:\\d\\A", "C:\\d\\A\\sub\\deeper")) << "into itself";
    EXPECT_FALSE(ChangesPlace("C:\\d\\ソ", "C:\\d\\ソ\\x")) << "into itself";
    EXPECT_FALSE(ChangesPlace(nullptr, "C:\\d"));
}

}  // namespace
}  // namespace cataloom
