// Texts of the property pages, made from the string table into the
// caller's own strings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace cataloom {

// String `id` of the library's string table; empty when it is missing.
std::string LoadText(UINT id);
// String `id` used as a format with one text argument.
std::string FormatText(UINT id, const std::string& argument);
// A decimal number with commas between groups of three digits.
std::string GroupedNumber(std::uint64_t number);
// "1,234,567 バイト".
std::string ByteText(std::uint64_t bytes);
// "ファイル数 : 1,234、ディレクトリ数 : 56".
std::string CountsText(std::uint64_t files, std::uint64_t directories);
// Local time with seconds, or "（不明）" for a zero time.
std::string FullTimeText(std::uint64_t fileTime);

}  // namespace cataloom
