// The file-drop format as the capture menu reads it: the shell's own data
// object, and blocks that another program filled wrongly.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "namespace/DroppedFiles.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

// A global block: a DROPFILES header naming `offset` and `wide`, then `names`.
class DropBlock {
public:
    DropBlock(DWORD offset, bool wide, const std::string& names, std::size_t size = 0) {
        std::size_t bytes = size != 0 ? size : sizeof(DROPFILES) + names.size();
        block_ = GlobalAlloc(GMEM_MOVEABLE, bytes);
        auto* memory = static_cast<BYTE*>(GlobalLock(block_));
        std::memset(memory, 0, bytes);
        DROPFILES header = {};
        header.pFiles = offset;
        header.fWide = wide;
        std::memcpy(memory, &header, std::min(bytes, sizeof header));
        if (bytes > sizeof header)
            std::memcpy(memory + sizeof header, names.data(), std::min(names.size(), bytes - sizeof header));
        GlobalUnlock(block_);
    }
    ~DropBlock() { GlobalFree(block_); }
    HGLOBAL Get() const { return block_; }

private:
    HGLOBAL block_;
};

std::string WideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string Read(HGLOBAL block, std::size_t capacity = MAX_PATH) {
    char buffer[MAX_PATH] = "stale";
    return FirstDroppedFile(block, buffer, capacity) ? buffer : "<none:" + std::string(buffer) + ">";
}

TEST(DroppedFilesTest, TheFirstNameOfAWellFormedBlock) {
    const std::string ansi = std::string("C:\\ソフト\0D:\\\0\0", 15);
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, ansi).Get()), "C:\\ソフト");
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), true, WideBytes(std::wstring(L"C:\\\u97f3\u697d\0\0", 7))).Get()),
              "C:\\音楽");
    // A name that fills the buffer exactly, and one that would not fit.
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, std::string("C:\\ab\0\0", 7)).Get(), 6), "C:\\ab");
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, std::string("C:\\abc\0\0", 8)).Get(), 6), "<none:>");
}

TEST(DroppedFilesTest, DamagedBlocksGiveNoName) {
    // Shorter than its header; names before the header's end or beyond the block.
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, "", 10).Get()), "<none:>");
    EXPECT_EQ(Read(DropBlock(4, false, std::string("C:\\x\0\0", 6)).Get()), "<none:>");
    EXPECT_EQ(Read(DropBlock(4000, false, std::string("C:\\x\0\0", 6)).Get()), "<none:>");
    // No terminator before the block ends (ANSI and wide), an empty first name.
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, "C:\\xyz").Get()), "<none:>");
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), true, WideBytes(L"C:\\xyz") + "\x01").Get()), "<none:>");
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), false, std::string("\0\0", 2)).Get()), "<none:>");
    // A character code page 932 cannot hold would name another file.
    EXPECT_EQ(Read(DropBlock(sizeof(DROPFILES), true, WideBytes(std::wstring(L"C:\\caf\u00e9\0\0", 9))).Get()),
              "<none:>");
    EXPECT_EQ(Read(nullptr), "<none:>");
    char one[1];
    EXPECT_FALSE(FirstDroppedFile(static_cast<HGLOBAL>(nullptr), one, 0));
}

TEST(DroppedFilesTest, TheShellsDataObjectNamesTheDirectoryOrDrive) {
    TempTree tree;
    tree.MakeDir("ソース");
    char path[MAX_PATH] = {};
    EXPECT_TRUE(FirstDroppedFile(DataObjectOf(tree.Path("ソース")).Get(), path, sizeof path));
    EXPECT_EQ(std::string(path), tree.Path("ソース"));
    EXPECT_TRUE(FirstDroppedFile(DataObjectOf("C:\\").Get(), path, sizeof path));
    EXPECT_STREQ(path, "C:\\");
    EXPECT_FALSE(FirstDroppedFile(static_cast<IDataObject*>(nullptr), path, sizeof path));
    EXPECT_STREQ(path, "");
}

}  // namespace
}  // namespace cataloom::test
