// Texts shown for catalogue values: drive types and list times.
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

}  // namespace cataloom
