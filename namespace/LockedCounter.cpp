#include "namespace/LockedCounter.h"

namespace cataloom {

namespace {
// Enters on construction, leaves on destruction.
class SectionLock {
public:
    explicit SectionLock(CRITICAL_SECTION& section) noexcept : section_(section) { EnterCriticalSection(&section_); }
    ~SectionLock() { LeaveCriticalSection(&section_); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};
}  // namespace

LockedCounter::LockedCounter(LONG initial) noexcept : count_(initial) { InitializeCriticalSection(&section_); }

LockedCounter::~LockedCounter() { DeleteCriticalSection(&section_); }

LONG LockedCounter::Set(LONG value) noexcept {
    SectionLock lock(section_);
    count_ = value;
    return count_;
}

LONG LockedCounter::Get() const noexcept {
    SectionLock lock(section_);
    return count_;
}

LONG LockedCounter::Increment() noexcept {
    SectionLock lock(section_);
    return ++count_;
}

LONG LockedCounter::Decrement() noexcept {
    SectionLock lock(section_);
    if (count_ != 0) --count_;
    return count_;
}

}  // namespace cataloom
