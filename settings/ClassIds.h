// The four classes the library serves, as binary GUIDs and as the strings
// with braces that registry paths and values use.
#pragma once

#include <windows.h>

namespace cataloom {

// The desktop namespace folder.
constexpr GUID kClsidFolder = {0x82B07BC4, 0xAD2A, 0x4D64, {0x9D, 0x02, 0x73, 0x1A, 0x84, 0xAC, 0x71, 0x51}};
constexpr char kClsidFolderText[] = "{82B07BC4-AD2A-4D64-9D02-731A84AC7151}";
// The folder as the shell parses it: two colons before the braces.
constexpr char kFolderParsingName[] = "::{82B07BC4-AD2A-4D64-9D02-731A84AC7151}";

// The drive and directory context menu that starts a capture.
constexpr GUID kClsidCaptureMenu = {0x105C5504, 0x6805, 0x43AE, {0xB6, 0xCA, 0x09, 0x52, 0x10, 0xD0, 0xD0, 0x40}};
constexpr char kClsidCaptureMenuText[] = "{105C5504-6805-43AE-B6CA-095210D0D040}";

// The search menu that opens the search window.
constexpr GUID kClsidSearchMenu = {0xE63863AF, 0x8F2E, 0x4221, {0x88, 0x4F, 0xD7, 0xF5, 0x76, 0x96, 0x81, 0xF7}};
constexpr char kClsidSearchMenuText[] = "{E63863AF-8F2E-4221-884F-D7F5769681F7}";

// The property sheet extension.
constexpr GUID kClsidPropertyPage = {0xF13E43DB, 0x6096, 0x4C5A, {0xA9, 0xCB, 0x9C, 0x28, 0xC0, 0xD6, 0x03, 0x83}};
constexpr char kClsidPropertyPageText[] = "{F13E43DB-6096-4C5A-A9CB-9C28C0D60383}";

}  // namespace cataloom
