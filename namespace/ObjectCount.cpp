#include "namespace/ObjectCount.h"

namespace cataloom {

namespace {
// Built during static initialisation, before the loader calls DllMain.
LockedCounter g_objectCount(0);
}  // namespace

LockedCounter& ObjectCount() noexcept { return g_objectCount; }

}  // namespace cataloom
