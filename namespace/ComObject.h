// The one reference-counting pattern of every COM object of the library.
//
//   class Folder : public ComObject<Folder, IShellFolder, IPersistFolder> { ... };
//
// An object starts with a reference count of 1 and holds one unit of
// ObjectCount from construction to destruction.  QueryInterface answers
// IUnknown and every listed interface from one table; an object that also
// answers a base interface of a listed one (IPersist for IPersistFolder)
// declares `void* QueryExtra(REFIID) noexcept` returning that pointer.
// An object that must outlive its last reference under some condition (a
// locked class factory) declares `bool MayDestroy() noexcept`.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <tuple>

#include "namespace/LockedCounter.h"
#include "namespace/ObjectCount.h"

namespace cataloom {

template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");
    using Primary = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        struct Entry {
            const IID* iid;
            void* pointer;
        };
        const Entry table[] = {
            {&IID_IUnknown, static_cast<IUnknown*>(static_cast<Primary*>(this))},
            {&__uuidof(Interfaces), static_cast<Interfaces*>(this)}...,
        };
        for (const Entry& entry : table) {
            if (IsEqualIID(iid, *entry.iid)) {
                *out = entry.pointer;
                break;
            }
        }
        if (*out == nullptr) *out = static_cast<Derived*>(this)->QueryExtra(iid);
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(references_.Increment()); }

    STDMETHODIMP_(ULONG) Release() noexcept override {
        const LONG left = references_.Decrement();
        if (left == 0 && static_cast<Derived*>(this)->MayDestroy()) delete this;
        return static_cast<ULONG>(left);
    }

    // Defaults, hidden by a Derived that needs them (see above).
    void* QueryExtra(REFIID) noexcept { return nullptr; }
    bool MayDestroy() noexcept { return true; }

protected:
    ComObject() noexcept : references_(1) { ObjectCount().Increment(); }
    // Virtual, after the interface methods in the vtable: COM callers never
    // see it, and deleting through any base is safe.
    virtual ~ComObject() { ObjectCount().Decrement(); }

    LONG References() const noexcept { return references_.Get(); }

private:
    LockedCounter references_;
};

}  // namespace cataloom
