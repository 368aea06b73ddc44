// An integer guarded by its own critical section: the reference count of
// every COM object and the process-wide count of live objects.
#pragma once

#include <windows.h>

namespace cataloom {

class LockedCounter {
public:
    explicit LockedCounter(LONG initial = 0) noexcept;
    ~LockedCounter();
    LockedCounter(const LockedCounter&) = delete;
    LockedCounter& operator=(const LockedCounter&) = delete;

    LONG Set(LONG value) noexcept;
    LONG Get() const noexcept;
    LONG Increment() noexcept;
    // Never goes below 0: a surplus Release cannot wrap the count around.
    LONG Decrement() noexcept;

private:
    mutable CRITICAL_SECTION section_;
    LONG count_;
};

}  // namespace cataloom
