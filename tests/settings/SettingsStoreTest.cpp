// SettingsStore against the registry of the Wine prefix.  Each test starts
// without the settings key and the default-verb key and removes them again.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "tests/support/WinTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

constexpr char kKey[] = "Software\\Quillmoor\\Cataloom";
constexpr char kVerbKey[] = "CLSID\\{82B07BC4-AD2A-4D64-9D02-731A84AC7151}\\shell";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillmoor");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{82B07BC4-AD2A-4D64-9D02-731A84AC7151}");
    }

    static void Store(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(opened);
    }
    static void StoreString(HKEY root, const char* key, const char* name, const char* text) {
        Store(root, key, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
    }
    static bool KeyExists(HKEY root, const char* key) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    }

    SettingsStore settings;
};

TEST_F(SettingsStoreTest, WithoutAnyKeyEveryGetterGivesItsDefault) {
    char dataRoot[MAX_PATH] = "untouched";
    EXPECT_EQ(settings.GetDataRoot(dataRoot, sizeof dataRoot), 0u);
    EXPECT_STREQ(dataRoot, "untouched");
    EXPECT_EQ(settings.GetBgColor(), 0x000000u);
    EXPECT_EQ(settings.GetTextColor(), 0xFFFFFFu);
    EXPECT_FALSE(settings.IsRootDefaultVerb());

    std::int32_t browser[5] = {100, 100, 100, 80, 120};
    settings.GetBrowserColumns(browser, 5);
    EXPECT_EQ(std::memcmp(browser, SettingsStore::kDefaultBrowserColumns, sizeof browser), 0);
    // Reading creates nothing, except the view mode (below).
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));

    EXPECT_EQ(settings.GetDefViewMode(), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(SettingsStoreTest, ValuesRoundTrip) {
    settings.SetDataRoot("C:\\データ\\catalogues\\");
    settings.SetBgColor(0x00102030);
    settings.SetTextColor(0x00405060);
    settings.SetDefViewMode(4);
    char dataRoot[MAX_PATH] = {};
    EXPECT_EQ(settings.GetDataRoot(dataRoot, sizeof dataRoot), std::strlen("C:\\データ\\catalogues\\"));
    EXPECT_STREQ(dataRoot, "C:\\データ\\catalogues\\");
    EXPECT_EQ(settings.GetBgColor(), 0x00102030u);
    EXPECT_EQ(settings.GetTextColor(), 0x00405060u);
    EXPECT_EQ(settings.GetDefViewMode(), 4u);

    const std::int32_t viewer[4] = {210, 90, 110, 160};
    const std::int32_t searcher[5] = {1, 2, 3, 4, 5};
    const std::int32_t browser[5] = {5, 4, 3, 2, 1};
    settings.SetViewerColumns(viewer, 4);
    settings.SetSearcherColumns(searcher, 5);
    settings.SetBrowserColumns(browser, 5);
    std::int32_t read4[4] = {};
    std::int32_t read5[5] = {};
    settings.GetViewerColumns(read4, 4);
    EXPECT_EQ(std::memcmp(read4, viewer, sizeof viewer), 0);
    settings.GetSearcherColumns(read5, 5);
    EXPECT_EQ(std::memcmp(read5, searcher, sizeof searcher), 0);
    settings.GetBrowserColumns(read5, 5);
    EXPECT_EQ(std::memcmp(read5, browser, sizeof browser), 0);

    // The stored form: 4 bytes per column, nothing else.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "ViewerColumn", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(RegQueryValueExA(key, "SearcherColumn", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 20u);
    RegCloseKey(key);
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeReadAsMissing) {
    StoreString(HKEY_CURRENT_USER, kKey, "BgColor", "red");
    StoreString(HKEY_CURRENT_USER, kKey, "DefViewMode", "4");
    const DWORD number = 5;
    Store(HKEY_CURRENT_USER, kKey, "DataRoot", REG_DWORD, &number, sizeof number);
    Store(HKEY_CURRENT_USER, kKey, "ViewerColumn", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(settings.GetBgColor(), 0x000000u);
    EXPECT_EQ(settings.GetDefViewMode(), 0u);
    char dataRoot[MAX_PATH] = "untouched";
    EXPECT_EQ(settings.GetDataRoot(dataRoot, sizeof dataRoot), 0u);
    EXPECT_STREQ(dataRoot, "untouched");
    std::int32_t viewer[4] = {200, 100, 100, 150};
    settings.GetViewerColumns(viewer, 4);
    const std::int32_t defaults[4] = {200, 100, 100, 150};
    EXPECT_EQ(std::memcmp(viewer, defaults, sizeof viewer), 0);
}

TEST_F(SettingsStoreTest, ShortColumnValuesReplaceLeadingWidthsAndLongOnesAreIgnored) {
    const std::int32_t two[2] = {300, 40};
    Store(HKEY_CURRENT_USER, kKey, "ViewerColumn", REG_BINARY, two, sizeof two);
    std::int32_t viewer[4] = {200, 100, 100, 150};
    settings.GetViewerColumns(viewer, 4);
    const std::int32_t expected[4] = {300, 40, 100, 150};
    EXPECT_EQ(std::memcmp(viewer, expected, sizeof viewer), 0);

    const std::int32_t six[6] = {1, 2, 3, 4, 5, 6};
    Store(HKEY_CURRENT_USER, kKey, "ViewerColumn", REG_BINARY, six, sizeof six);
    std::int32_t untouched[4] = {200, 100, 100, 150};
    settings.GetViewerColumns(untouched, 4);
    const std::int32_t defaults[4] = {200, 100, 100, 150};
    EXPECT_EQ(std::memcmp(untouched, defaults, sizeof untouched), 0);
}

TEST_F(SettingsStoreTest, DataRootLongerThanTheBufferLeavesItAlone) {
    settings.SetDataRoot("C:\\a\\rather\\long\\path");
    char small[8] = "keep";
    EXPECT_EQ(settings.GetDataRoot(small, sizeof small), 0u);
    EXPECT_STREQ(small, "keep");
}

TEST_F(SettingsStoreTest, TheEffectiveDataFolderHasNoTrailingBackslashAndAFallback) {
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
    const std::string fallback = std::string(appData) + "\\Cataloom";
    char path[MAX_PATH] = {};
    // Missing, then empty: the application data folder.
    EXPECT_EQ(settings.GetEffectiveDataRoot(path, sizeof path), fallback.size());
    EXPECT_EQ(std::string(path), fallback);
    settings.SetDataRoot("");
    EXPECT_EQ(settings.GetEffectiveDataRoot(path, sizeof path), fallback.size());
    EXPECT_EQ(std::string(path), fallback);

    const std::pair<const char*, const char*> cases[] = {
        {"Q:", "Q:\\"},  // a drive alone is its root
        {"q:\\", "q:\\"},
        {"C:\\データ\\catalogues\\", "C:\\データ\\catalogues"},
        {"C:\\データ\\catalogues", "C:\\データ\\catalogues"},
        {"D:\\", "D:\\"},
        {"C:\\表", "C:\\表"},  // a 0x5C trail byte is no backslash
        {"\\\\server\\share\\cat\\", "\\\\server\\share\\cat"},
    };
    for (const auto& c : cases) {
        settings.SetDataRoot(c.first);
        EXPECT_EQ(settings.GetEffectiveDataRoot(path, sizeof path), std::strlen(c.second)) << c.first;
        EXPECT_EQ(std::string(path), c.second);
    }
    char small[8] = "keep";
    EXPECT_EQ(settings.GetEffectiveDataRoot(small, sizeof small), 0u);
    EXPECT_STREQ(small, "keep");
}

// A value written by hand that names no folder on its own gives no folder
// and says why: nothing else is used in its place.
TEST_F(SettingsStoreTest, ARelativeOrOverLongDataRootGivesNoFolderAndSaysWhy) {
    using Problem = SettingsStore::DataRootProblem;
    const std::string longest = "C:\\" + std::string(256, 'x');  // 259 bytes
    const std::pair<std::string, Problem> cases[] = {
        {"data", Problem::kNotFull},
        {"\\data", Problem::kNotFull},
        {"C:data", Problem::kNotFull},
        {"..\\data", Problem::kNotFull},
        {longest + "y", Problem::kTooLong},
        {"C:\\" + std::string(5000, 'x'), Problem::kTooLong},
        {longest, Problem::kNone},
    };
    for (const auto& c : cases) {
        settings.SetDataRoot(c.first.c_str());
        char path[MAX_PATH] = "keep";
        Problem problem = Problem::kNone;
        const std::size_t length = settings.GetEffectiveDataRoot(path, sizeof path, &problem);
        EXPECT_EQ(problem, c.second) << c.first;
        EXPECT_EQ(SettingsStore::CheckDataRoot(c.first.c_str()), c.second) << c.first;
        if (c.second == Problem::kNone) {
            EXPECT_EQ(std::string(path, length), c.first);
        } else {
            EXPECT_EQ(length, 0u) << c.first;
            EXPECT_STREQ(path, "keep") << c.first;
        }
    }
}

TEST_F(SettingsStoreTest, DefaultVerbIsOnOnlyForExactlyRoot) {
    settings.SetRootDefaultVerb(true);
    EXPECT_TRUE(settings.IsRootDefaultVerb());
    char verb[16] = {};
    LONG size = sizeof verb;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, kVerbKey, verb, &size), ERROR_SUCCESS);
    EXPECT_STREQ(verb, "root");

    settings.SetRootDefaultVerb(false);
    EXPECT_FALSE(settings.IsRootDefaultVerb());
    // Cleared means the empty string, not a deleted value.
    size = sizeof verb;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, kVerbKey, verb, &size), ERROR_SUCCESS);
    EXPECT_STREQ(verb, "");

    StoreString(HKEY_CLASSES_ROOT, kVerbKey, nullptr, "Root");
    EXPECT_FALSE(settings.IsRootDefaultVerb());
    const DWORD number = 1;
    Store(HKEY_CLASSES_ROOT, kVerbKey, nullptr, REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(settings.IsRootDefaultVerb());
}

}  // namespace
}  // namespace cataloom
