#include "namespace/DroppedFiles.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace cataloom {
namespace {

// A locked global memory block, unlocked on destruction.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) noexcept
        : block_(block), bytes_(block != nullptr ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr),
          size_(bytes_ != nullptr ? GlobalSize(block) : 0) {}
    ~LockedGlobal() {
        if (bytes_ != nullptr) GlobalUnlock(block_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    const BYTE* Bytes() const noexcept { return bytes_; }
    std::size_t Size() const noexcept { return size_; }

private:
    HGLOBAL block_;
    const BYTE* bytes_;
    std::size_t size_;
};

bool CopyAnsiName(const BYTE* names, std::size_t available, char* buffer, std::size_t capacity) {
    const void* end = std::memchr(names, 0, available);
    if (end == nullptr) return false;
    const std::size_t length = static_cast<std::size_t>(static_cast<const BYTE*>(end) - names);
    if (length == 0 || length + 1 > capacity) return false;
    std::memcpy(buffer, names, length + 1);
    return true;
}

bool CopyWideName(const BYTE* names, std::size_t available, char* buffer, std::size_t capacity) {
    std::wstring name;
    for (std::size_t offset = 0; offset + sizeof(wchar_t) <= available; offset += sizeof(wchar_t)) {
        wchar_t c;
        std::memcpy(&c, names + offset, sizeof c);  // the names need not be aligned
        if (c == L'\0') {
            if (name.empty()) return false;
            // A name the code page cannot hold would name another file.
            BOOL lossy = FALSE;
            int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, buffer,
                                              static_cast<int>(capacity), nullptr, &lossy);
            if (written > 0 && !lossy) return true;
            buffer[0] = '\0';
            return false;
        }
        name.push_back(c);
    }
    return false;
}

}  // namespace

bool FirstDroppedFile(HGLOBAL drop, char* buffer, std::size_t capacity) noexcept {
    if (buffer == nullptr || capacity == 0) return false;
    buffer[0] = '\0';
    try {
        LockedGlobal block(drop);
        if (block.Bytes() == nullptr || block.Size() < sizeof(DROPFILES)) return false;
        DROPFILES header;
        std::memcpy(&header, block.Bytes(), sizeof header);
        if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= block.Size()) return false;
        const BYTE* names = block.Bytes() + header.pFiles;
        const std::size_t available = block.Size() - header.pFiles;
        return header.fWide ? CopyWideName(names, available, buffer, capacity)
                            : CopyAnsiName(names, available, buffer, capacity);
    } catch (...) {
        buffer[0] = '\0';
        return false;
    }
}

bool FirstDroppedFile(IDataObject* data, char* buffer, std::size_t capacity) noexcept {
    if (buffer != nullptr && capacity > 0) buffer[0] = '\0';
    if (data == nullptr) return false;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return false;
    bool found = medium.tymed == TYMED_HGLOBAL && FirstDroppedFile(medium.hGlobal, buffer, capacity);
    ReleaseStgMedium(&medium);
    return found;
}

}  // namespace cataloom
