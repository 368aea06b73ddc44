#include "namespace/ClassFactory.h"

#include "namespace/ComResult.h"

namespace cataloom {

ClassFactory::ClassFactory(CreateObjectFunction create, LockRule rule) noexcept
    : create_(create), rule_(rule), locks_(0) {}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return ComFirewall([&]() -> HRESULT {
        IUnknown* object = create_();
        if (object == nullptr) return E_OUTOFMEMORY;
        // A refused interface leaves the count at 0 and so frees the object.
        const HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    });
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) noexcept {
    const bool locking = rule_ == LockRule::kAnyNonZeroLocks ? lock != FALSE : lock == 1;
    if (locking) {
        locks_.Increment();
        return S_OK;
    }
    if (locks_.Decrement() == 0 && References() == 0) delete this;
    return S_OK;
}

namespace {
HRESULT FindServerClass(const ServerClass* classes, std::size_t count, REFCLSID clsid,
                        const ServerClass*& found) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        if (IsEqualCLSID(clsid, *classes[i].clsid) && classes[i].create != nullptr) {
            found = &classes[i];
            return S_OK;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}
}  // namespace

HRESULT GetClassObject(const ServerClass* classes, std::size_t count, REFCLSID clsid, REFIID iid,
                       void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const ServerClass* serverClass = nullptr;
    CATALOOM_RETURN_IF_FAILED(FindServerClass(classes, count, clsid, serverClass));
    ClassFactory* factory = new (std::nothrow) ClassFactory(serverClass->create, serverClass->lockRule);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}

}  // namespace cataloom
