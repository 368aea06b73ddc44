// The class object of one CLSID.  All four CLSIDs share this class; what
// differs (the object created, the LockServer rule) is given at construction.
//
// A locked factory stays alive after its last Release, and a live factory
// holds one unit of ObjectCount: that alone keeps the library loaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "namespace/ComObject.h"
#include "namespace/LockedCounter.h"

namespace cataloom {

// Builds a new object with a reference count of 1; null for lack of memory.
using CreateObjectFunction = IUnknown* (*)();

enum class LockRule {
    kAnyNonZeroLocks,  // LockServer(n) locks for any n != 0
    kOnlyOneLocks,     // only LockServer(1) locks; any other value unlocks
};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    ClassFactory(CreateObjectFunction create, LockRule rule) noexcept;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override;
    STDMETHODIMP LockServer(BOOL lock) noexcept override;

    bool MayDestroy() noexcept { return locks_.Get() == 0; }

private:
    CreateObjectFunction create_;
    LockRule rule_;
    LockedCounter locks_;
};

// One class the library serves: its CLSID, how its object is built (null
// while that object does not exist yet) and how its factory counts locks.
struct ServerClass {
    const GUID* clsid;
    CreateObjectFunction create;
    LockRule lockRule;
};

// DllGetClassObject over a table of classes: a new factory for the CLSID,
// asked for `iid`.  CLASS_E_CLASSNOTAVAILABLE for a CLSID that is not in the
// table or whose object cannot be built.
HRESULT GetClassObject(const ServerClass* classes, std::size_t count, REFCLSID clsid, REFIID iid,
                       void** out) noexcept;

}  // namespace cataloom
