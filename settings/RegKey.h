// An owned registry key with typed reads that check the stored type, and the
// free functions that registration and the settings build on.
#pragma once

#include <windows.h>

namespace cataloom {

class RegKey {
public:
    RegKey() noexcept = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Both close any key already open first; KEY_ALL_ACCESS unless asked
    // for less (keys of the machine's own part open only for reading).
    bool Create(HKEY root, const char* subkey) noexcept;
    bool Open(HKEY root, const char* subkey, REGSAM access = KEY_ALL_ACCESS) noexcept;
    // True when a key was open.
    bool Close() noexcept;
    bool IsOpen() const noexcept { return key_ != nullptr; }
    HKEY Get() const noexcept { return key_; }

    // Each read succeeds only when the value exists with the expected type.
    bool ReadDword(const char* name, DWORD& out) const noexcept;
    // `size` is the buffer size in bytes.  A string that does not fit fails.
    bool ReadString(const char* name, char* buffer, DWORD size) const noexcept;
    // The size in bytes of a string value as stored; 0 when there is none.
    DWORD StringSize(const char* name) const noexcept;
    // `size` in: buffer size; out: bytes stored.
    bool ReadBinary(const char* name, void* buffer, DWORD& size) const noexcept;

    bool WriteDword(const char* name, DWORD value) noexcept;
    bool WriteString(const char* name, const char* text) noexcept;
    bool WriteBinary(const char* name, const void* data, DWORD size) noexcept;
    bool DeleteValue(const char* name) noexcept;

private:
    bool Read(const char* name, DWORD expectedType, void* buffer, DWORD& size) const noexcept;
    bool Write(const char* name, DWORD type, const void* data, DWORD size) noexcept;

    HKEY key_ = nullptr;
};

// Creates the key and writes a string value; a null name writes the key's
// default value.  False when the key cannot be created or written.
bool SetRegString(HKEY root, const char* subkey, const char* valueName, const char* text) noexcept;
// Deletes one value of an existing key; never creates the key.
bool DeleteRegValue(HKEY root, const char* subkey, const char* valueName) noexcept;
// Deletes a key with everything below it.  False when the key cannot be
// opened or some part cannot be deleted (the rest of the tree stays).
bool DeleteRegTree(HKEY root, const char* subkey) noexcept;
// True when the key exists and has no sub-key.
bool RegKeyHasNoSubkeys(HKEY root, const char* subkey) noexcept;

}  // namespace cataloom
