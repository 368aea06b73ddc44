#include "tests/view/ViewData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/CatalogReader.h"
#include "namespace/ProcessObjects.h"
#include "tests/core/CatalogBuilder.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

void WriteCatalogue(const std::string& path, const char* name, std::uint64_t total, std::uint64_t free,
                    std::uint32_t serial, std::uint64_t captured, std::vector<TreeDirectory> tree) {
    CatalogHeader header = MakeHeader(name, serial);
    header.totalBytes = total;
    header.freeBytes = free;
    header.captureTime = captured;
    ASSERT_TRUE(WriteCatalog(path, header, std::move(tree))) << path;
}

std::vector<TreeDirectory> FlatTree() {
    std::vector<TreeDirectory> tree(1);
    tree[0].entries = {File("x.txt", 1)};
    return tree;
}

}  // namespace

std::uint64_t LocalFileTime(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    FILETIME localTime;
    FILETIME utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    return (static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

ViewData::ViewData() {
    ClearViewSettings();
    tree_.MakeDir("ソフト");
    tree_.MakeDir("音楽");
    // 道具: the root, ソフト, CD1, ソフト\表 (parents before children).
    std::vector<TreeDirectory> tools(4);
    EntryData readme = File("readme.txt", 1001);
    readme.writeTime = LocalFileTime(2022, 2, 3, 4, 5);
    EntryData unknownTime = Dir("CD1");
    unknownTime.writeTime = 0;
    EntryData software = Dir("ソフト", 1);
    software.writeTime = LocalFileTime(2021, 11, 12, 13, 14);
    EntryData small = File("a.bin", 10);
    small.writeTime = LocalFileTime(2024, 7, 8, 9, 10);
    EntryData large = File("b.txt", 5000);
    large.writeTime = LocalFileTime(2019, 1, 1, 0, 0);
    tools[0].entries = {software, unknownTime, readme, small, large};
    tools[1].name = "ソフト";
    EntryData table = Dir("表");
    table.writeTime = LocalFileTime(2020, 10, 9, 8, 7);
    tools[1].entries = {table};
    tools[2].name = "CD1";
    tools[3].name = "表";
    tools[3].parent = 1;
    tools[3].entries = {File("1000.bin", 1000), File("能.txt", 1)};
    WriteCatalogue(tree_.Path("ソフト\\道具.vmf"), "道具", 5000, 4000, 0x00001A2B, LocalFileTime(2023, 3, 4, 5, 6),
                   tools);
    WriteCatalogue(tree_.Path("a.vmf"), "alpha", 3000, 10, 0xFFFFFFFF, LocalFileTime(2024, 1, 2, 3, 4), FlatTree());
    WriteCatalogue(tree_.Path("b.vmf"), "Beta", 1000, 30, 0x1A2B, 0, FlatTree());
    WriteCatalogue(tree_.Path("c.vmf"), "ガンマ", 1234567890, 20, 0x00ABCDEF, LocalFileTime(2025, 6, 7, 8, 9),
                   FlatTree());
    ProcessObjects::Settings().SetDataRoot(tree_.Root().c_str());
}

ViewData::~ViewData() {
    ProcessObjects::Reader().Release();
    ProcessObjects::Settings().SetDataRoot("");
    ClearViewSettings();
}

void ClearViewSettings() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsStore::kKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (const char* value : {"BgColor", "TextColor", "DefViewMode", "BrowserColumn", "ViewerColumn"})
        RegDeleteValueA(key, value);
    RegCloseKey(key);
}

}  // namespace cataloom::test
