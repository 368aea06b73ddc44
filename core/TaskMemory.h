// An owned block from the shell's task allocator.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <utility>

namespace cataloom {

template <typename T>
class TaskMemory {
public:
    TaskMemory() = default;
    explicit TaskMemory(T* block) : block_(block) {}
    ~TaskMemory() { platform::TaskFree(block_); }
    TaskMemory(TaskMemory&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    TaskMemory& operator=(TaskMemory&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.block_, nullptr));
        return *this;
    }
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;

    static TaskMemory Allocate(std::size_t bytes) {
        return TaskMemory(static_cast<T*>(platform::TaskAlloc(bytes)));
    }
    T* Get() const { return block_; }
    T* Release() { return std::exchange(block_, nullptr); }
    void Reset(T* block = nullptr) {
        platform::TaskFree(block_);
        block_ = block;
    }
    explicit operator bool() const { return block_ != nullptr; }
    bool operator==(std::nullptr_t) const { return block_ == nullptr; }
    bool operator!=(std::nullptr_t) const { return block_ != nullptr; }

private:
    T* block_ = nullptr;
};

}  // namespace cataloom
