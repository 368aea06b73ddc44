// DllRegisterServer and DllUnregisterServer of the real library against the
// registry of the Wine prefix.  Unregistration asks a question in a message
// box; the tests answer it through the real window (needs a display).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PathUtil.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

constexpr char kFolder[] = "{82B07BC4-AD2A-4D64-9D02-731A84AC7151}";
constexpr char kCapture[] = "{105C5504-6805-43AE-B6CA-095210D0D040}";
constexpr char kSearch[] = "{E63863AF-8F2E-4221-884F-D7F5769681F7}";
constexpr char kPage[] = "{F13E43DB-6096-4C5A-A9CB-9C28C0D60383}";
constexpr char kFind[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\static\\Cataloom";
constexpr char kApproved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kSettings[] = "Software\\Quillmoor\\Cataloom";

struct Expected {
    HKEY root;
    std::string key;
    const char* name;
    std::string text;
    DWORD number = 0;
    bool isDword = false;
};

// Every value registration writes, with `server` the path it must name.
std::vector<Expected> ExpectedValues(const std::string& server) {
    const std::string f = std::string("CLSID\\") + kFolder;
    const std::string c = std::string("CLSID\\") + kCapture;
    const std::string s = std::string("CLSID\\") + kSearch;
    const std::string p = std::string("CLSID\\") + kPage;
    HKEY cr = HKEY_CLASSES_ROOT;
    HKEY lm = HKEY_LOCAL_MACHINE;
    return {
        {cr, f, nullptr, "Cataloom"},
        {cr, f, "InfoTip", "オフライン中のメディア内のファイル一覧を表示"},
        {cr, f + "\\InprocServer32", nullptr, server},
        {cr, f + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, f + "\\DefaultIcon", nullptr, server + ",0"},
        {cr, f + "\\ShellFolder", "Attributes", "", 0xA0000140, true},
        {cr, f + "\\shell\\root\\command", nullptr, std::string("explorer /e,/root,::") + kFolder},
        {cr, ".vmf", nullptr, "Virtual.Media.File"},
        {cr, "Virtual.Media.File", nullptr, "Virtual Media File"},
        {cr, "Virtual.Media.File\\CLSID", nullptr, kFolder},
        {cr, "Virtual.Media.File\\DefaultIcon", nullptr, server + ",1"},
        {cr, "Virtual.Media.File\\shell\\explore", nullptr, "メディア内を閲覧"},
        {cr, "Virtual.Media.File\\shell\\explore\\command", nullptr, std::string("explorer /e,/root,") + kFolder + ",%L"},
        {cr, c, nullptr, "CataloomImager"},
        {cr, c + "\\InprocServer32", nullptr, server},
        {cr, c + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, "Directory\\shellex\\ContextMenuHandlers\\Cataloom", nullptr, kCapture},
        {cr, "Drive\\shellex\\ContextMenuHandlers\\Cataloom", nullptr, kCapture},
        {cr, s, nullptr, "CataloomSearcher"},
        {cr, s + "\\InprocServer32", nullptr, server},
        {cr, s + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, f + "\\shellex\\ContextMenuHandlers\\Searcher", nullptr, kSearch},
        {lm, kFind, nullptr, kSearch},
        {lm, std::string(kFind) + "\\0", nullptr, "Cataloom(&O)..."},
        {lm, std::string(kFind) + "\\0\\DefaultIcon", nullptr, server + ",0"},
        {lm, std::string(kFind) + "\\0\\HelpText", nullptr, "Cataloom内から検索"},
        {cr, p, nullptr, "CataloomPropPage"},
        {cr, p + "\\InprocServer32", nullptr, server},
        {cr, p + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, f + "\\shellex\\PropertySheetHandlers\\PropPage", nullptr, kPage},
        {lm, std::string("Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Desktop\\NameSpace\\") + kFolder,
         nullptr, "Cataloom"},
        {lm, kApproved, kFolder, "Cataloom"},
        {lm, kApproved, kCapture, "CataloomImager"},
        {lm, kApproved, kSearch, "CataloomSearcher"},
        {lm, kApproved, kPage, "CataloomPropPage"},
    };
}

void ExpectRegistered(const std::string& server) {
    for (const Expected& e : ExpectedValues(server)) {
        SCOPED_TRACE(e.key + " : " + (e.name ? e.name : "(default)"));
        const StoredValue stored = ReadStoredValue(e.root, e.key, e.name);
        ASSERT_TRUE(stored.exists);
        if (e.isDword) {
            EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
            EXPECT_EQ(stored.number, e.number);
        } else {
            EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(stored.text, e.text);
        }
    }
}

void ExpectUnregistered() {
    for (const Expected& e : ExpectedValues("")) {
        SCOPED_TRACE(e.key + " : " + (e.name ? e.name : "(default)"));
        EXPECT_FALSE(ReadStoredValue(e.root, e.key, e.name).exists);
        if (e.key != kApproved) {
            EXPECT_FALSE(KeyExists(e.root, e.key));
        }
    }
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveRegistration(); }
    void TearDown() override { RemoveRegistration(); }
};

TEST_F(RegistrationTest, WritesEveryValueAndTheDataFolder) {
    TempTree folder;
    {
        ServerLibrary library(folder.Root(), "Cataloom.dll");
        ASSERT_EQ(library.Register(), S_OK);
    }
    ExpectRegistered(folder.Path("Cataloom.dll"));
    const StoredValue dataRoot = ReadStoredValue(HKEY_CURRENT_USER, kSettings, "DataRoot");
    EXPECT_EQ(dataRoot.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(dataRoot.text, folder.Path("DataRoot"));
    const DWORD attributes = GetFileAttributesA((folder.Path("DataRoot")).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(RegistrationTest, RegisteringAgainResetsTheDataFolderAndKeepsTheRest) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    ASSERT_EQ(library.Register(), S_OK);
    HKEY settings = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_ALL_ACCESS, &settings), ERROR_SUCCESS);
    const char elsewhere[] = "C:\\elsewhere";
    RegSetValueExA(settings, "DataRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(elsewhere), sizeof elsewhere);
    const DWORD colour = 0x123456;
    RegSetValueExA(settings, "BgColor", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&colour), sizeof colour);
    RegCloseKey(settings);

    ASSERT_EQ(library.Register(), S_OK);
    ExpectRegistered(folder.Path("Cataloom.dll"));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettings, "DataRoot").text, folder.Path("DataRoot"));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettings, "BgColor").number, colour);
}

TEST_F(RegistrationTest, ACopyUnderAnotherNameStillNamesCataloomDll) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Renamed.dll");
    ASSERT_EQ(library.Register(), S_OK);
    ExpectRegistered(folder.Path("Cataloom.dll"));
}

TEST_F(RegistrationTest, UnregisterAnsweredNoKeepsTheSettings) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    ASSERT_EQ(library.Register(), S_OK);
    folder.WriteFile("DataRoot\\disc.vmf", "!vmf");

    DialogAnswerer answer("Cataloom", IDNO);
    EXPECT_EQ(library.Unregister(), S_OK);
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(answer.Message(),
              "Cataloom の設定情報も削除しますか？\r\nアップデート目的でにアンインストールを行っている場合は"
              "「いいえ」をお選びください。");

    ExpectUnregistered();
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettings, "DataRoot").text, folder.Path("DataRoot"));
    EXPECT_EQ(ReadWholeFile(folder.Path("DataRoot\\disc.vmf")), "!vmf");
}

TEST_F(RegistrationTest, UnregisterAnsweredYesRemovesTheSettingsButNotTheData) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    ASSERT_EQ(library.Register(), S_OK);
    folder.WriteFile("DataRoot\\disc.vmf", "!vmf");

    DialogAnswerer answer("Cataloom", IDYES);
    EXPECT_EQ(library.Unregister(), S_OK);
    ASSERT_TRUE(answer.Answered());

    ExpectUnregistered();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettings));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillmoor"));
    EXPECT_TRUE(path::IsDirectory(folder.Path("DataRoot").c_str()));
    EXPECT_EQ(ReadWholeFile(folder.Path("DataRoot\\disc.vmf")), "!vmf");
}

TEST_F(RegistrationTest, UnregisterKeepsTheMakersKeyWhileAnotherProductUsesIt) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    ASSERT_EQ(library.Register(), S_OK);
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillmoor\\Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);

    DialogAnswerer answer("Cataloom", IDYES);
    EXPECT_EQ(library.Unregister(), S_OK);
    ASSERT_TRUE(answer.Answered());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettings));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillmoor\\Other"));
}

TEST_F(RegistrationTest, UnregisterWithNothingRegisteredStillSucceeds) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    DialogAnswerer answer("Cataloom", IDYES);
    EXPECT_EQ(library.Unregister(), S_OK);
    EXPECT_TRUE(answer.Answered());
    ExpectUnregistered();
}

}  // namespace
}  // namespace cataloom::test
