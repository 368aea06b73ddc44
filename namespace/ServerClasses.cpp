#include "namespace/ServerClasses.h"

#include "namespace/ClassIds.h"

namespace cataloom {

// A class whose object does not exist yet has no creation function and
// answers CLASS_E_CLASSNOTAVAILABLE.  The folder's factory takes any
// non-zero LockServer argument as a lock, the others only 1.
const ServerClass kServerClasses[] = {
    {&kClsidFolder, nullptr, LockRule::kAnyNonZeroLocks},         // top CatalogFolder
    {&kClsidCaptureMenu, nullptr, LockRule::kOnlyOneLocks},       // drive and directory context menu
    {&kClsidSearchMenu, nullptr, LockRule::kOnlyOneLocks},        // search context menu
    {&kClsidPropertyPage, nullptr, LockRule::kOnlyOneLocks},      // property sheet extension
};
const std::size_t kServerClassCount = sizeof kServerClasses / sizeof kServerClasses[0];

}  // namespace cataloom
