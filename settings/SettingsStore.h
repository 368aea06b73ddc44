// Typed getters and setters of the user's settings under
// HKCU\Software\Quillmoor\Cataloom, and of the desktop icon's default verb.
// Nothing is cached: every call opens the key, reads or writes one value and
// closes it again, so a value one window writes is what the next one reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace cataloom {

class SettingsStore {
public:
    static constexpr char kKeyPath[] = "Software\\Quillmoor\\Cataloom";

    static constexpr COLORREF kDefaultBgColor = 0x00000000;
    static constexpr COLORREF kDefaultTextColor = 0x00FFFFFF;
    static constexpr std::size_t kBrowserColumnCount = 5;
    static constexpr std::size_t kViewerColumnCount = 4;
    static constexpr std::size_t kSearcherColumnCount = 5;
    static constexpr std::int32_t kDefaultBrowserColumns[kBrowserColumnCount] = {100, 100, 100, 80, 120};
    static constexpr std::int32_t kDefaultViewerColumns[kViewerColumnCount] = {200, 100, 100, 150};
    static constexpr std::int32_t kDefaultSearcherColumns[kSearcherColumnCount] = {200, 200, 100, 100, 150};

    // Copies the data folder into `buffer` and returns its length.  Returns 0
    // and leaves the buffer alone when the key or value is missing; a stored
    // path longer than the buffer reads as missing too.
    std::size_t GetDataRoot(char* buffer, std::size_t size) const noexcept;
    void SetDataRoot(const char* path) noexcept;
    // What keeps a `DataRoot` value from naming a data folder: a path that
    // depends on a current folder ("data", "\data", "C:data"), or one longer
    // than 259 bytes.  A drive alone ("Q:") names the drive's root.
    enum class DataRootProblem { kNone, kNotFull, kTooLong };
    static DataRootProblem CheckDataRoot(const char* path) noexcept;
    // The data folder every caller works in: `DataRoot` without a trailing
    // backslash (a drive root keeps its own, "Q:" reads as "Q:\"), or
    // "<application data>\Cataloom" when the value is empty or missing.
    // Returns the length; 0 when not even the fallback fits, or, with
    // `problem` set, when the stored value is unusable: no other folder is
    // used in its place.  The folder itself may not exist yet.
    std::size_t GetEffectiveDataRoot(char* buffer, std::size_t size, DataRootProblem* problem = nullptr) const noexcept;

    COLORREF GetBgColor() const noexcept;
    void SetBgColor(COLORREF color) noexcept;
    COLORREF GetTextColor() const noexcept;
    void SetTextColor(COLORREF color) noexcept;

    // 0 when no mode was stored.  Creates the settings key if missing.
    DWORD GetDefViewMode() const noexcept;
    void SetDefViewMode(DWORD mode) noexcept;

    // `widths` holds `count` defaults on entry; a stored value of at most
    // 4 * count bytes replaces the leading ones, a larger one is ignored.
    void GetBrowserColumns(std::int32_t* widths, std::size_t count) const noexcept;
    void SetBrowserColumns(const std::int32_t* widths, std::size_t count) noexcept;
    void GetViewerColumns(std::int32_t* widths, std::size_t count) const noexcept;
    void SetViewerColumns(const std::int32_t* widths, std::size_t count) noexcept;
    void GetSearcherColumns(std::int32_t* widths, std::size_t count) const noexcept;
    void SetSearcherColumns(const std::int32_t* widths, std::size_t count) noexcept;

    // True exactly when HKCR\CLSID\{folder}\shell holds the default value
    // "root" (case-sensitive).
    bool IsRootDefaultVerb() const noexcept;
    // Writes "root" or the empty string.
    void SetRootDefaultVerb(bool root) noexcept;

private:
    DWORD GetDword(const char* name, DWORD fallback) const noexcept;
    void SetDword(const char* name, DWORD value) noexcept;
    void GetColumns(const char* name, std::int32_t* widths, std::size_t count) const noexcept;
    void SetColumns(const char* name, const std::int32_t* widths, std::size_t count) noexcept;
};

}  // namespace cataloom
