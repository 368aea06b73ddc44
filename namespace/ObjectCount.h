// The count of live COM objects of the library, class factories included.
// DllCanUnloadNow lets the library go only when it is 0.
#pragma once

#include "namespace/LockedCounter.h"

namespace cataloom {

LockedCounter& ObjectCount() noexcept;

}  // namespace cataloom
