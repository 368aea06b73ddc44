#include "settings/SettingsStore.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "settings/ClassIds.h"
#include "core/PathUtil.h"
#include "settings/RegKey.h"
#include "platform/win32/ShellFolderPath.h"

namespace cataloom {

namespace {
constexpr char kDataRoot[] = "DataRoot";
constexpr char kBgColor[] = "BgColor";
constexpr char kTextColor[] = "TextColor";
constexpr char kDefViewMode[] = "DefViewMode";
constexpr char kBrowserColumn[] = "BrowserColumn";
constexpr char kViewerColumn[] = "ViewerColumn";
constexpr char kSearcherColumn[] = "SearcherColumn";
constexpr char kRootVerb[] = "root";
constexpr std::size_t kMaxColumns = 16;

// HKCR\CLSID\{folder}\shell, whose default value names the desktop icon's verb.
void DefaultVerbKey(char (&path)[MAX_PATH]) noexcept {
    std::snprintf(path, sizeof path, "CLSID\\%s\\shell", kClsidFolderText);
}
}  // namespace

std::size_t SettingsStore::GetDataRoot(char* buffer, std::size_t size) const noexcept {
    if (buffer == nullptr || size == 0) return 0;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kKeyPath)) return 0;
    // Read into a scratch buffer so that a failed read leaves the caller's alone.
    char path[MAX_PATH] = {};
    if (!key.ReadString(kDataRoot, path, sizeof path)) return 0;
    const std::size_t length = std::strlen(path);
    if (length >= size) return 0;
    std::memcpy(buffer, path, length + 1);
    return length;
}

SettingsStore::DataRootProblem SettingsStore::CheckDataRoot(const char* path) noexcept {
    if (path == nullptr || std::strlen(path) >= MAX_PATH) return DataRootProblem::kTooLong;
    // Relative to what?  The shell's current folder changes under it.
    const bool drive = path::IsFullPath(path) && path[0] != '\\';
    if (!path::IsFullPath(path) || (drive && path[2] != '\\' && path[2] != '\0')) return DataRootProblem::kNotFull;
    return DataRootProblem::kNone;
}

std::size_t SettingsStore::GetEffectiveDataRoot(char* buffer, std::size_t size, DataRootProblem* problem) const noexcept {
    if (problem != nullptr) *problem = DataRootProblem::kNone;
    if (buffer == nullptr || size == 0) return 0;
    char path[MAX_PATH + 1] = {};
    RegKey key;
    const DWORD stored = key.Open(HKEY_CURRENT_USER, kKeyPath) ? key.StringSize(kDataRoot) : 0;
    // A value too long to read is still a value, not a missing one.
    const std::size_t read = GetDataRoot(path, sizeof path);
    const DataRootProblem found = read != 0               ? CheckDataRoot(path)
                                  : stored >= MAX_PATH - 1 ? DataRootProblem::kTooLong
                                                           : DataRootProblem::kNone;
    if (found != DataRootProblem::kNone) {
        if (problem != nullptr) *problem = found;
        return 0;
    }
    if (path[0] == '\0') {
        if (!platform::SpecialFolderPath(CSIDL_APPDATA, path)) GetWindowsDirectoryA(path, sizeof path);
        if (!path::Append(path, "Cataloom")) return 0;
    }
    if (path::IsRoot(path)) path::AddBackslash(path);  // "Q:" is the root "Q:\"
    // "C:\" stays a root; "C:\data\" becomes "C:\data".
    if (!path::IsRoot(path)) path::RemoveBackslash(path);
    const std::size_t length = std::strlen(path);
    if (length >= size) return 0;
    std::memcpy(buffer, path, length + 1);
    return length;
}

void SettingsStore::SetDataRoot(const char* path) noexcept {
    if (path == nullptr) return;
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kKeyPath)) key.WriteString(kDataRoot, path);
}

COLORREF SettingsStore::GetBgColor() const noexcept { return GetDword(kBgColor, kDefaultBgColor); }
void SettingsStore::SetBgColor(COLORREF color) noexcept { SetDword(kBgColor, color); }
COLORREF SettingsStore::GetTextColor() const noexcept { return GetDword(kTextColor, kDefaultTextColor); }
void SettingsStore::SetTextColor(COLORREF color) noexcept { SetDword(kTextColor, color); }

DWORD SettingsStore::GetDefViewMode() const noexcept {
    // The first view a user opens creates the settings key.
    RegKey key;
    DWORD mode = 0;
    if (key.Create(HKEY_CURRENT_USER, kKeyPath) && key.ReadDword(kDefViewMode, mode)) return mode;
    return 0;
}

void SettingsStore::SetDefViewMode(DWORD mode) noexcept { SetDword(kDefViewMode, mode); }

void SettingsStore::GetBrowserColumns(std::int32_t* widths, std::size_t count) const noexcept {
    GetColumns(kBrowserColumn, widths, count);
}
void SettingsStore::SetBrowserColumns(const std::int32_t* widths, std::size_t count) noexcept {
    SetColumns(kBrowserColumn, widths, count);
}
void SettingsStore::GetViewerColumns(std::int32_t* widths, std::size_t count) const noexcept {
    GetColumns(kViewerColumn, widths, count);
}
void SettingsStore::SetViewerColumns(const std::int32_t* widths, std::size_t count) noexcept {
    SetColumns(kViewerColumn, widths, count);
}
void SettingsStore::GetSearcherColumns(std::int32_t* widths, std::size_t count) const noexcept {
    GetColumns(kSearcherColumn, widths, count);
}
void SettingsStore::SetSearcherColumns(const std::int32_t* widths, std::size_t count) noexcept {
    SetColumns(kSearcherColumn, widths, count);
}

bool SettingsStore::IsRootDefaultVerb() const noexcept {
    char path[MAX_PATH];
    DefaultVerbKey(path);
    RegKey key;
    if (!key.Open(HKEY_CLASSES_ROOT, path)) return false;
    char verb[MAX_PATH] = {};
    return key.ReadString(nullptr, verb, sizeof verb) && std::strcmp(verb, kRootVerb) == 0;
}

void SettingsStore::SetRootDefaultVerb(bool root) noexcept {
    char path[MAX_PATH];
    DefaultVerbKey(path);
    RegKey key;
    if (key.Create(HKEY_CLASSES_ROOT, path)) key.WriteString(nullptr, root ? kRootVerb : "");
}

DWORD SettingsStore::GetDword(const char* name, DWORD fallback) const noexcept {
    RegKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, kKeyPath) && key.ReadDword(name, value)) return value;
    return fallback;
}

void SettingsStore::SetDword(const char* name, DWORD value) noexcept {
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kKeyPath)) key.WriteDword(name, value);
}

void SettingsStore::GetColumns(const char* name, std::int32_t* widths, std::size_t count) const noexcept {
    if (widths == nullptr || count == 0 || count > kMaxColumns) return;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kKeyPath)) return;
    // A value larger than the caller's columns does not fit and is not read.
    // A failed read may have scribbled on its buffer, hence the scratch copy.
    std::int32_t stored[kMaxColumns];
    DWORD size = static_cast<DWORD>(count * sizeof(std::int32_t));
    if (key.ReadBinary(name, stored, size)) std::memcpy(widths, stored, size);
}

void SettingsStore::SetColumns(const char* name, const std::int32_t* widths, std::size_t count) noexcept {
    if (widths == nullptr || count == 0) return;
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kKeyPath))
        key.WriteBinary(name, widths, static_cast<DWORD>(count * sizeof(std::int32_t)));
}

}  // namespace cataloom
