#include "core/VolumeCatalogs.h"

#include "core/PathUtil.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cataloom {
namespace {

constexpr std::uint32_t kSerial = 0x5EED1234;

std::string HeaderBytes(std::uint32_t serial, const char* magic = "!vmf") {
    CatalogHeader header = test::MakeHeader("x", serial);
    std::memcpy(header.magic, magic, 4);
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

// Paths below the tree's root, for readable expectations.
std::vector<std::string> Relative(const test::TempTree& tree, const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& p : paths) {
        const char* below = path::RelativeTo(tree.Root().c_str(), p.c_str());
        names.push_back(below != nullptr ? below : "<outside> " + p);
    }
    return names;
}

std::size_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

TEST(VolumeCatalogsTest, OnlyCatalogueFilesWithTheMagicAndTheSerialCount) {
    test::TempTree tree;
    tree.WriteFile("a.vmf", HeaderBytes(kSerial));
    tree.WriteFile("b.VMF", HeaderBytes(kSerial));
    tree.WriteFile("other.vmf", HeaderBytes(kSerial + 1));
    tree.WriteFile("nomagic.vmf", HeaderBytes(kSerial, "!vmx"));
    tree.WriteFile("short.vmf", HeaderBytes(kSerial).substr(0, 100));
    tree.WriteFile("a.vmf.txt", HeaderBytes(kSerial));
    tree.WriteFile("noext", HeaderBytes(kSerial));
    tree.MakeDir("dir.vmf");  // a folder named like a catalogue is searched, not read
    tree.WriteFile("dir.vmf\\inner.vmf", HeaderBytes(kSerial));

    std::vector<std::string> found = Relative(tree, FindVolumeCatalogs(tree.Root().c_str(), kSerial, 100));
    std::vector<std::string> sorted = found;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"a.vmf", "b.VMF", "dir.vmf\\inner.vmf"}));
    EXPECT_EQ(found.back(), "dir.vmf\\inner.vmf");  // the folder's own files first

    EXPECT_TRUE(FindVolumeCatalogs(tree.Root().c_str(), 0x0BADF00D, 100).empty());
    EXPECT_TRUE(FindVolumeCatalogs("", kSerial, 100).empty());
    EXPECT_TRUE(FindVolumeCatalogs(nullptr, kSerial, 100).empty());
    EXPECT_TRUE(FindVolumeCatalogs(tree.Path("missing").c_str(), kSerial, 100).empty());
}

TEST(VolumeCatalogsTest, TopFilesFirstThenEachFolderDepthFirstUpToTheLimit) {
    test::TempTree tree;
    tree.MakeDir("音楽");
    tree.MakeDir("音楽\\ソ");
    tree.MakeDir("書類");
    tree.WriteFile("音楽\\ソ\\deep.vmf", HeaderBytes(kSerial));
    tree.WriteFile("音楽\\cd.vmf", HeaderBytes(kSerial));
    tree.WriteFile("書類\\doc.vmf", HeaderBytes(kSerial));
    tree.WriteFile("top.vmf", HeaderBytes(kSerial));

    std::vector<std::string> found = Relative(tree, FindVolumeCatalogs(tree.Root().c_str(), kSerial, 100));
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0], "top.vmf");
    // A folder's own files before its sub-folders', and a folder's whole
    // subtree before the next folder (listing order between the two).
    std::size_t music = IndexOf(found, "音楽\\cd.vmf"), deep = IndexOf(found, "音楽\\ソ\\deep.vmf"),
                docs = IndexOf(found, "書類\\doc.vmf");
    ASSERT_LT(docs, found.size());
    EXPECT_EQ(deep, music + 1);
    EXPECT_TRUE(docs == 1 || docs == 3) << docs;

    EXPECT_EQ(Relative(tree, FindVolumeCatalogs(tree.Root().c_str(), kSerial, 1)),
              std::vector<std::string>{"top.vmf"});
    EXPECT_EQ(FindVolumeCatalogs(tree.Root().c_str(), kSerial, 2).size(), 2u);
    EXPECT_TRUE(FindVolumeCatalogs(tree.Root().c_str(), kSerial, 0).empty());
}

#ifndef _WIN32
TEST(VolumeCatalogsTest, LinkedFoldersAreNotEntered) {
    test::TempTree outside;
    outside.WriteFile("elsewhere.vmf", HeaderBytes(kSerial));
    test::TempTree tree;
    tree.MakeDir("real");
    tree.WriteFile("real\\inside.vmf", HeaderBytes(kSerial));
    ASSERT_EQ(symlink(test::NativePath(outside.Root()).c_str(), test::NativePath(tree.Path("link")).c_str()), 0);
    EXPECT_EQ(Relative(tree, FindVolumeCatalogs(tree.Root().c_str(), kSerial, 100)),
              std::vector<std::string>{"real\\inside.vmf"});
}
#endif

}  // namespace
}  // namespace cataloom
