#include "tools/PageTexts.h"

#include <cstdio>
#include <vector>

#include "core/DisplayText.h"
#include "namespace/ItemColumns.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {

std::string LoadText(UINT id) {
    char text[512];
    LoadResourceText(id, text, sizeof text);
    return text;
}

std::string FormatText(UINT id, const std::string& argument) {
    std::string format = LoadText(id);
    std::vector<char> text(format.size() + argument.size() + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), argument.c_str());
    return text.data();
}

std::string GroupedNumber(std::uint64_t number) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(number));
    ItemColumns::GroupThousands(text, sizeof text);
    return text;
}

std::string ByteText(std::uint64_t bytes) { return FormatText(IDS_BYTES, GroupedNumber(bytes)); }

std::string CountsText(std::uint64_t files, std::uint64_t directories) {
    std::string format = LoadText(IDS_COUNTS);
    std::string first = GroupedNumber(files);
    std::string second = GroupedNumber(directories);
    std::vector<char> text(format.size() + first.size() + second.size() + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), first.c_str(), second.c_str());
    return text.data();
}

std::string FullTimeText(std::uint64_t fileTime) {
    return FormatFullTime(fileTime, LoadText(ItemColumns::kUnknownTimeText).c_str());
}

}  // namespace cataloom
