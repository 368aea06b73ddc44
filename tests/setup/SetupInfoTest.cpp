// The setup's settings file: where it is looked for and what is read from it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "setup/SetupInfo.h"
#include "tests/support/TempTree.h"

namespace cataloom {
namespace {

TEST(SetupInfoTest, SettingsFileIsNamedAfterTheProgram) {
    SetupInfo info;
    ASSERT_TRUE(info.LocateFor("C:\\Tools\\TarnwickSetup.exe"));
    EXPECT_EQ(info.Path(), "C:\\Tools\\TarnwickSetup.ini");
    EXPECT_EQ(info.Folder(), "C:\\Tools\\");
    // Only the last dot of the file name starts the extension.
    ASSERT_TRUE(info.LocateFor("C:\\v1.2\\Setup.v2.exe"));
    EXPECT_EQ(info.Path(), "C:\\v1.2\\Setup.v2.ini");
    // No extension: ".ini" is appended, whatever dots the folders have.
    ASSERT_TRUE(info.LocateFor("C:\\v1.2\\setup"));
    EXPECT_EQ(info.Path(), "C:\\v1.2\\setup.ini");
    // 表 ends in a byte equal to a backslash.
    ASSERT_TRUE(info.LocateFor("C:\\表\\setup.exe"));
    EXPECT_EQ(info.Folder(), "C:\\表\\");
    EXPECT_EQ(info.Path(), "C:\\表\\setup.ini");

    const std::string tooLong = "C:\\" + std::string(251, 'a') + "\\x";
    EXPECT_FALSE(info.LocateFor(tooLong.c_str()));
}

TEST(SetupInfoTest, CaptionIsAtMost63BytesOfWholeCharacters) {
    test::TempTree tree;
    SetupInfo info;
    ASSERT_TRUE(info.LocateFor(tree.Path("setup.exe").c_str()));
    EXPECT_FALSE(info.Exists());
    EXPECT_EQ(info.Caption(), "");

    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "あ";
    tree.WriteFile("setup.ini", "[Install]\r\nAppCaption=" + forty + "\r\n");
    EXPECT_TRUE(info.Exists());
    // 63 bytes would end in half a character: the system keeps 31 whole ones.
    EXPECT_EQ(info.Caption(), forty.substr(0, 62));
}

TEST(SetupInfoTest, ServersAreReadInOrderUpToTheFirstGap) {
    test::TempTree tree;
    SetupInfo info;
    ASSERT_TRUE(info.LocateFor(tree.Path("setup.exe").c_str()));
    tree.WriteFile("setup.ini", "[Servers]\r\n2=b.dll\r\n1=a.dll\r\n3=\r\n4=d.dll\r\n");
    const std::vector<std::string> servers = info.Servers();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0], tree.Path("a.dll"));
    EXPECT_EQ(servers[1], tree.Path("b.dll"));

    tree.WriteFile("setup.ini", "[Install]\r\nAppCaption=x\r\n");
    EXPECT_TRUE(info.Servers().empty());
}

}  // namespace
}  // namespace cataloom
