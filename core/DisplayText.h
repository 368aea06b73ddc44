// Texts shown for catalogue values: drive types, list times and the UTC
// times of exported data.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace cataloom {

// "固定ディスク" and the like for a drive type code.
const char* DriveTypeText(std::uint32_t driveType);
// Local time as "YYYY/MM/DD hh:mm"; `unknown` for a zero time.
std::string FormatListTime(platform::FileTime time, const char* unknown = "(unknown)");
// Local time with seconds, as property pages show it.
std::string FormatFullTime(platform::FileTime time, const char* unknown = "(unknown)");

// Room for any time FormatIsoTime writes, terminator included.
constexpr std::size_t kIsoTimeSize = 32;
// ISO 8601 in UTC, "YYYY-MM-DDThh:mm:ssZ", with the seven digits of the
// 100-nanosecond fraction before the Z when it is not zero, and the year as
// "+YYYYY" past 9999; written without the C library's formatting, which
// costs more than the rest of an exported row.  Returns the length, 0 (an
// empty text) for the zero time that stands for "unknown".
std::size_t FormatIsoTime(platform::FileTime time, char (&out)[kIsoTimeSize]);

}  // namespace cataloom
