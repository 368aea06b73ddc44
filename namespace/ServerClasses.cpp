#include "namespace/ServerClasses.h"

#include <new>

#include "namespace/CatalogFolder.h"
#include "settings/ClassIds.h"
#include "namespace/FolderObjects.h"

namespace cataloom {

namespace {

// The top folder: no parent and no name until Initialize.
IUnknown* CreateTopFolder() {
    return static_cast<IShellFolder*>(new (std::nothrow) CatalogFolder(nullptr, ""));
}

// The property sheet extension with no folder and no items (the
// namespace's own properties), from the constructor its layer installed.
IUnknown* CreatePropertySheet() {
    void* sheet = nullptr;
    if (FAILED(CreateFolderObject(nullptr, nullptr, 0, nullptr, IID_IShellPropSheetExt, &sheet))) return nullptr;
    return static_cast<IShellPropSheetExt*>(sheet);
}

}  // namespace

// A class whose object does not exist yet has no creation function and
// answers CLASS_E_CLASSNOTAVAILABLE; the layers above the namespace install
// theirs.  The folder's factory takes any non-zero LockServer argument as a
// lock, the others only 1.
ServerClass kServerClasses[] = {
    {&kClsidFolder, CreateTopFolder, LockRule::kAnyNonZeroLocks},   // top CatalogFolder
    {&kClsidCaptureMenu, nullptr, LockRule::kOnlyOneLocks},       // drive and directory context menu (capture/)
    {&kClsidSearchMenu, nullptr, LockRule::kOnlyOneLocks},        // search context menu
    {&kClsidPropertyPage, CreatePropertySheet, LockRule::kOnlyOneLocks},  // property sheet extension
};
const std::size_t kServerClassCount = sizeof kServerClasses / sizeof kServerClasses[0];

bool InstallServerClass(REFCLSID clsid, CreateObjectFunction create) noexcept {
    for (ServerClass& serverClass : kServerClasses) {
        if (!IsEqualCLSID(clsid, *serverClass.clsid)) continue;
        serverClass.create = create;
        return true;
    }
    return false;
}

}  // namespace cataloom
