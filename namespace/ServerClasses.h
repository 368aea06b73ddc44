// The table of the four classes the library serves.
#pragma once

#include <windows.h>

#include <cstddef>

#include "namespace/ClassFactory.h"

namespace cataloom {

extern ServerClass kServerClasses[];
extern const std::size_t kServerClassCount;

// A layer above the namespace serves its class through the table: it gives
// the class's creation function once when the library (or a test program)
// starts, and null when it stops.  False for a CLSID not in the table.
bool InstallServerClass(REFCLSID clsid, CreateObjectFunction create) noexcept;

}  // namespace cataloom
