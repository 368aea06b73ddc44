// COM-style result codes for the portable core.  The values are the Windows
// HRESULTs, so Windows code can return them unchanged.
#pragma once

#include <cstdint>

namespace cataloom {

using HResult = std::int32_t;

constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001);
constexpr HResult kPointer = static_cast<HResult>(0x80004003);
constexpr HResult kFail = static_cast<HResult>(0x80004005);
constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000E);
constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057);
// The file cannot be opened or has no catalogue's header (ERROR_BAD_FORMAT).
constexpr HResult kNotCatalog = static_cast<HResult>(0x8007000B);

inline bool Succeeded(HResult hr) { return hr >= 0; }

}  // namespace cataloom
