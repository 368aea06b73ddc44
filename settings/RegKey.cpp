#include "settings/RegKey.h"

#include <cstring>

namespace cataloom {

namespace {
constexpr DWORD kNameBuffer = 260;
}  // namespace

bool RegKey::Create(HKEY root, const char* subkey) noexcept {
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    key_ = key;
    return true;
}

bool RegKey::Open(HKEY root, const char* subkey, REGSAM access) noexcept {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, access, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

bool RegKey::Close() noexcept {
    if (key_ == nullptr) return false;
    RegCloseKey(key_);
    key_ = nullptr;
    return true;
}

bool RegKey::Read(const char* name, DWORD expectedType, void* buffer, DWORD& size) const noexcept {
    if (key_ == nullptr) return false;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key_, name, nullptr, &type, static_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) return false;
    return type == expectedType;
}

bool RegKey::ReadDword(const char* name, DWORD& out) const noexcept {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!Read(name, REG_DWORD, &value, size) || size != sizeof value) return false;
    out = value;
    return true;
}

bool RegKey::ReadString(const char* name, char* buffer, DWORD size) const noexcept {
    if (buffer == nullptr || size == 0) return false;
    DWORD stored = size;
    if (!Read(name, REG_SZ, buffer, stored)) return false;
    // The stored data need not end with a zero; make sure the buffer does.
    if (stored == 0 || buffer[stored - 1] != '\0') {
        if (stored >= size) return false;
        buffer[stored] = '\0';
    }
    return true;
}

DWORD RegKey::StringSize(const char* name) const noexcept {
    DWORD size = 0;
    return Read(name, REG_SZ, nullptr, size) ? size : 0;
}

bool RegKey::ReadBinary(const char* name, void* buffer, DWORD& size) const noexcept {
    return Read(name, REG_BINARY, buffer, size);
}

bool RegKey::Write(const char* name, DWORD type, const void* data, DWORD size) noexcept {
    if (key_ == nullptr) return false;
    return RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegKey::WriteDword(const char* name, DWORD value) noexcept { return Write(name, REG_DWORD, &value, sizeof value); }

bool RegKey::WriteString(const char* name, const char* text) noexcept {
    return Write(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

bool RegKey::WriteBinary(const char* name, const void* data, DWORD size) noexcept {
    return Write(name, REG_BINARY, data, size);
}

bool RegKey::DeleteValue(const char* name) noexcept {
    if (key_ == nullptr) return false;
    return RegDeleteValueA(key_, name) == ERROR_SUCCESS;
}

bool SetRegString(HKEY root, const char* subkey, const char* valueName, const char* text) noexcept {
    RegKey key;
    if (!key.Create(root, subkey)) return false;
    return key.WriteString(valueName, text);
}

bool DeleteRegValue(HKEY root, const char* subkey, const char* valueName) noexcept {
    RegKey key;
    if (!key.Open(root, subkey)) return false;
    return key.DeleteValue(valueName);
}

bool DeleteRegTree(HKEY root, const char* subkey) noexcept {
    RegKey key;
    if (!key.Open(root, subkey)) return false;
    // Always take the first sub-key: deleting it moves the next one to index 0.
    LONG status = ERROR_SUCCESS;
    for (;;) {
        char name[kNameBuffer];
        DWORD length = kNameBuffer;
        status = RegEnumKeyExA(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        if (!DeleteRegTree(key.Get(), name)) return false;
    }
    key.Close();
    if (status != ERROR_NO_MORE_ITEMS) return false;
    return RegDeleteKeyA(root, subkey) == ERROR_SUCCESS;
}

bool RegKeyHasNoSubkeys(HKEY root, const char* subkey) noexcept {
    RegKey key;
    if (!key.Open(root, subkey)) return false;
    char name[kNameBuffer];
    DWORD length = kNameBuffer;
    return RegEnumKeyExA(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_NO_MORE_ITEMS;
}

}  // namespace cataloom
