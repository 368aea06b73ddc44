// Small conversions and shell calls shared by the namespace objects.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <string>

#include "core/ItemId.h"

namespace cataloom {

// The shell's identifier list types are our records in another dress.
inline const ItemId* AsItemId(PCUIDLIST_RELATIVE list) noexcept { return reinterpret_cast<const ItemId*>(list); }
inline PCUIDLIST_RELATIVE AsIdList(const ItemId* list) noexcept {
    return reinterpret_cast<PCUIDLIST_RELATIVE>(list);
}
inline PIDLIST_RELATIVE AsIdList(ItemId* list) noexcept { return reinterpret_cast<PIDLIST_RELATIVE>(list); }

// Converts UTF-16 into the ANSI code page; false when it does not fit.
bool WideToAnsi(const wchar_t* text, char* buffer, std::size_t capacity) noexcept;
// Converts ANSI code page text into UTF-16.
std::wstring AnsiToWide(const char* text);
// The name (SHGDN_* `flags`) of the item an absolute identifier list names,
// as the folder holding it gives it; empty when it gives none.
std::wstring ItemDisplayName(PCIDLIST_ABSOLUTE list, SHGDNF flags);
// A STRRET_WSTR holding `text` converted from the ANSI code page, allocated
// with the task allocator.
HRESULT MakeStrRet(const char* text, STRRET* out) noexcept;
// The text of a STRRET in the ANSI code page; a wide form is freed.
// `item` is the identifier an offset form points into.
bool StrRetToAnsi(STRRET* result, PCUIDLIST_RELATIVE item, char* buffer, std::size_t capacity) noexcept;
// Loads a string of this library's string table; empty when it is missing.
bool LoadResourceText(UINT id, char* buffer, int capacity) noexcept;

// A message box of the library, owned by `owner`: the caption "Cataloom",
// `style` the buttons and icon (MB_YESNO | MB_ICONQUESTION, ...).  Returns
// the button chosen.
int ShowLibraryMessage(HWND owner, const char* text, UINT style) noexcept;
// The same with a text of the string table.
int ShowLibraryMessage(HWND owner, UINT textId, UINT style) noexcept;

// The message (a text of the string table) saying what is wrong with the
// data folder setting, which then names no folder; 0 when it is usable.
UINT DataRootSettingProblem() noexcept;

// Change notifications; a batch of them ends with one flush.
void NotifyShellIdList(LONG event, const ItemId* first, const ItemId* second = nullptr) noexcept;
void NotifyShellPath(LONG event, const char* path) noexcept;
void FlushShellNotifications() noexcept;

}  // namespace cataloom
