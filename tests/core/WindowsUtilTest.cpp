// The Windows-only helpers, against the real menu and shell functions.
#include "platform/win32/MenuItems.h"
#include "platform/win32/ShellFolderPath.h"
#include "core/CommandLine.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace cataloom {
namespace {

// The menu as text: "-" for a separator, the item's text otherwise.
std::vector<std::string> Describe(HMENU menu) {
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back((info.fType & MFT_SEPARATOR) ? "-" : text);
    }
    return items;
}

TEST(MenuItems, InsertedItemsAndSeparatorTidying) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    MENUITEMINFOA item = menu::SeparatorItem(1);
    InsertMenuItemA(menu, 0, TRUE, &item);
    item = menu::StringItem(10, "vmf を作成...");
    InsertMenuItemA(menu, 1, TRUE, &item);
    item = menu::SeparatorItem(2);
    InsertMenuItemA(menu, 2, TRUE, &item);
    item = menu::SeparatorItem(3);
    InsertMenuItemA(menu, 3, TRUE, &item);
    item = menu::SubmenuItem(11, "view", sub, MFS_DISABLED);
    InsertMenuItemA(menu, 4, TRUE, &item);
    item = menu::SeparatorItem(4);
    InsertMenuItemA(menu, 5, TRUE, &item);

    menu::TidySeparators(menu);
    EXPECT_EQ(Describe(menu), (std::vector<std::string>{"vmf を作成...", "-", "view"}));
    EXPECT_EQ(GetMenuItemID(menu, 0), 10u);
    EXPECT_EQ(GetSubMenu(menu, 2), sub);
    EXPECT_TRUE(GetMenuState(menu, 11, MF_BYCOMMAND) & MF_DISABLED);

    HMENU onlySeparators = CreatePopupMenu();
    item = menu::SeparatorItem(1);
    InsertMenuItemA(onlySeparators, 0, TRUE, &item);
    InsertMenuItemA(onlySeparators, 1, TRUE, &item);
    menu::TidySeparators(onlySeparators);
    EXPECT_EQ(GetMenuItemCount(onlySeparators), 0);
    DestroyMenu(onlySeparators);
    DestroyMenu(menu);
}

TEST(SpecialFolder, ResolvesFileSystemFoldersOnly) {
    char path[MAX_PATH] = {};
    ASSERT_TRUE(platform::SpecialFolderPath(CSIDL_APPDATA, path));
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    char untouched[MAX_PATH] = "keep";
    EXPECT_FALSE(platform::SpecialFolderPath(CSIDL_DRIVES, untouched));  // "My Computer" has no path
}

// Every hostile argument, quoted and joined, reads back as itself, one
// argument each, through the system's own command-line parser.
TEST(CommandLine, QuotedArgumentsReadBackUnchanged) {
    const std::vector<std::wstring> table = {
        L"plain",
        L"",
        L"two words",
        L"q\" C:\\evil.exe \"x",
        L"y\" \"/select,z\" \"C:\\windows\\system32",
        L"/select,name",
        L"trailing\\",
        L"trailing two\\\\",
        L"slash before quote\\\"",
        L"\\\\\"\"\\",
        L"tab\there",
        L"C:\\evil.exe",
        L"::{82B07BC4-AD2A-4D64-9D02-731A84AC7151}\\ソフト\\a\"b\\",
    };
    std::wstring commandLine = L"program.exe";
    for (const std::wstring& argument : table) commandLine += L" " + QuoteArgument(argument);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    std::vector<std::wstring> readBack(arguments + 1, arguments + count);
    LocalFree(arguments);
    EXPECT_EQ(readBack, table);
    // The form itself: quotes escaped, backslashes doubled only before a quote.
    EXPECT_EQ(QuoteArgument(L"a\\b\"c\\"), L"\"a\\b\\\"c\\\\\"");
}

}  // namespace
}  // namespace cataloom
