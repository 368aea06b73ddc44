// HRESULT helpers shared by every COM entry point of the library.
#pragma once

#include <windows.h>

#include <new>

// Returns the HRESULT of `expr` from the enclosing function when it failed.
#define CATALOOM_RETURN_IF_FAILED(expr)        \
    do {                                       \
        const HRESULT cataloomHr_ = (expr);    \
        if (FAILED(cataloomHr_)) return cataloomHr_; \
    } while (0)

namespace cataloom {

// Runs the body of a COM method so that no C++ exception crosses the
// interface: lack of memory becomes E_OUTOFMEMORY, anything else E_UNEXPECTED.
template <class Body>
HRESULT ComFirewall(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace cataloom
