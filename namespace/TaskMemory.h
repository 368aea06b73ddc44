// Memory from the shell's task allocator (identifier lists, wide strings
// handed to the shell), freed with the same allocator unless released to a
// receiver that takes ownership.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <utility>

namespace cataloom {

template <class T>
class TaskMemory {
public:
    TaskMemory() noexcept = default;
    // Takes ownership of a block that came from the task allocator.
    explicit TaskMemory(T* block) noexcept : block_(block) {}
    ~TaskMemory() { Reset(); }
    TaskMemory(TaskMemory&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    TaskMemory& operator=(TaskMemory&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.block_, nullptr));
        return *this;
    }
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;

    // A zero-filled block of `bytes` bytes; empty when the allocator refuses.
    static TaskMemory Allocate(std::size_t bytes) noexcept {
        void* block = CoTaskMemAlloc(bytes);
        if (block != nullptr) ZeroMemory(block, bytes);
        return TaskMemory(static_cast<T*>(block));
    }

    T* Get() const noexcept { return block_; }
    explicit operator bool() const noexcept { return block_ != nullptr; }
    void Reset(T* block = nullptr) noexcept {
        if (block_ != nullptr) CoTaskMemFree(block_);
        block_ = block;
    }
    // Hands the block to a receiver that frees it with the task allocator.
    T* Release() noexcept { return std::exchange(block_, nullptr); }

private:
    T* block_ = nullptr;
};

}  // namespace cataloom
