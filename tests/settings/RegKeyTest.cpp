// RegKey and its free functions against the registry of the Wine prefix,
// under a key of their own that every test removes again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "namespace/ModulePath.h"
#include "settings/RegKey.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom {
namespace {

constexpr char kBase[] = "Software\\CataloomRegKeyTest";

class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }

    static bool KeyExists(const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
};

TEST_F(RegKeyTest, OpenNeverCreatesAndCreateDoes) {
    RegKey key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, kBase));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.Close());
    EXPECT_TRUE(key.Create(HKEY_CURRENT_USER, kBase));
    EXPECT_TRUE(KeyExists(kBase));
    EXPECT_TRUE(key.Open(HKEY_CURRENT_USER, kBase));
    EXPECT_TRUE(key.Close());
    EXPECT_FALSE(key.Close());
}

TEST_F(RegKeyTest, ValuesRoundTripAndReadOnlyWithTheirType) {
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kBase));
    ASSERT_TRUE(key.WriteDword("Number", 0xA0000140));
    ASSERT_TRUE(key.WriteString("Text", "データ"));
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(key.WriteBinary("Bytes", bytes, sizeof bytes));

    DWORD number = 0;
    EXPECT_TRUE(key.ReadDword("Number", number));
    EXPECT_EQ(number, 0xA0000140u);
    char text[16] = {};
    EXPECT_TRUE(key.ReadString("Text", text, sizeof text));
    EXPECT_STREQ(text, "データ");
    unsigned char read[8] = {};
    DWORD size = sizeof read;
    EXPECT_TRUE(key.ReadBinary("Bytes", read, size));
    EXPECT_EQ(size, sizeof bytes);
    EXPECT_EQ(std::memcmp(read, bytes, sizeof bytes), 0);

    // The wrong type counts as missing.
    DWORD wrong = 7;
    EXPECT_FALSE(key.ReadDword("Text", wrong));
    EXPECT_EQ(wrong, 7u);
    EXPECT_FALSE(key.ReadString("Number", text, sizeof text));
    size = sizeof read;
    EXPECT_FALSE(key.ReadBinary("Text", read, size));
    // A string too long for the buffer fails.
    char small[4] = {};
    EXPECT_FALSE(key.ReadString("Text", small, sizeof small));
    EXPECT_FALSE(key.ReadDword("Missing", number));

    EXPECT_TRUE(key.DeleteValue("Number"));
    EXPECT_FALSE(key.ReadDword("Number", number));
    EXPECT_FALSE(key.DeleteValue("Number"));
}

TEST_F(RegKeyTest, ValueOperationsFailWithoutAnOpenKey) {
    RegKey key;
    DWORD number = 0;
    char text[8] = {};
    DWORD size = sizeof text;
    EXPECT_FALSE(key.WriteDword("Number", 1));
    EXPECT_FALSE(key.WriteString("Text", "x"));
    EXPECT_FALSE(key.WriteBinary("Bytes", text, 1));
    EXPECT_FALSE(key.ReadDword("Number", number));
    EXPECT_FALSE(key.ReadString("Text", text, sizeof text));
    EXPECT_FALSE(key.ReadBinary("Bytes", text, size));
    EXPECT_FALSE(key.DeleteValue("Number"));
}

TEST_F(RegKeyTest, FreeFunctionsWriteDeleteAndTestKeys) {
    const std::string sub = std::string(kBase) + "\\A\\B";
    // A null name writes the key's default value.
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, sub.c_str(), nullptr, "default"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, sub.c_str(), "Named", "named"));
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, sub.c_str()));
    char text[16] = {};
    EXPECT_TRUE(key.ReadString(nullptr, text, sizeof text));
    EXPECT_STREQ(text, "default");
    key.Close();

    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, sub.c_str(), "Named"));
    const std::string missing = std::string(kBase) + "\\Missing";
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, missing.c_str(), "Named"));
    EXPECT_FALSE(KeyExists(missing.c_str()));

    EXPECT_FALSE(RegKeyHasNoSubkeys(HKEY_CURRENT_USER, kBase));
    EXPECT_TRUE(RegKeyHasNoSubkeys(HKEY_CURRENT_USER, sub.c_str()));
    EXPECT_FALSE(RegKeyHasNoSubkeys(HKEY_CURRENT_USER, missing.c_str()));
}

TEST_F(RegKeyTest, DeleteTreeRemovesEveryLevel) {
    const std::string root = std::string(kBase) + "\\Tree";
    for (const char* leaf : {"\\a\\b\\c", "\\a\\d", "\\e", "\\f\\g"})
        ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, (root + leaf).c_str(), "v", "x"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, std::string(kBase).append("\\Sibling").c_str(), nullptr, "keep"));

    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, root.c_str()));
    EXPECT_FALSE(KeyExists(root.c_str()));
    EXPECT_TRUE(KeyExists((std::string(kBase) + "\\Sibling").c_str()));
    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, root.c_str()));
}

TEST(ModulePathTest, FolderOfTheProgramKeepsItsBackslash) {
    char folder[MAX_PATH];
    ASSERT_TRUE(GetModuleFolder(nullptr, folder, sizeof folder));
    EXPECT_EQ(std::string(folder), test::ProgramFolder());
    char tooSmall[4];
    EXPECT_FALSE(GetModuleFolder(nullptr, tooSmall, sizeof tooSmall));
}

}  // namespace
}  // namespace cataloom
