// Owned GDI objects and icons, freed on destruction.
#pragma once

#include <windows.h>

#include <utility>

namespace cataloom {

// A brush, bitmap, pen or font (DeleteObject).
template <class Handle>
class GdiObject {
public:
    GdiObject() noexcept = default;
    explicit GdiObject(Handle handle) noexcept : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const noexcept { return handle_; }
    void Reset(Handle handle = nullptr) noexcept {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// An icon or cursor made by the program (DestroyIcon).
class OwnedIcon {
public:
    OwnedIcon() noexcept = default;
    explicit OwnedIcon(HICON icon) noexcept : icon_(icon) {}
    ~OwnedIcon() { Reset(); }
    OwnedIcon(OwnedIcon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    OwnedIcon& operator=(OwnedIcon&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.icon_, nullptr));
        return *this;
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;

    HICON Get() const noexcept { return icon_; }
    HICON Release() noexcept { return std::exchange(icon_, nullptr); }
    void Reset(HICON icon = nullptr) noexcept {
        if (icon_ != nullptr) DestroyIcon(icon_);
        icon_ = icon;
    }

private:
    HICON icon_ = nullptr;
};

}  // namespace cataloom
