#include "namespace/ShellUtil.h"

#include <shlwapi.h>

#include <cstring>

#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"

namespace cataloom {

bool WideToAnsi(const wchar_t* text, char* buffer, std::size_t capacity) noexcept {
    if (text == nullptr || buffer == nullptr || capacity == 0) return false;
    int written = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, static_cast<int>(capacity), nullptr, nullptr);
    if (written == 0) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

std::wstring AnsiToWide(const char* text) {
    int length = text ? MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) : 0;
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.pop_back();  // the terminator the call wrote
    return wide;
}

std::wstring ItemDisplayName(PCIDLIST_ABSOLUTE list, SHGDNF flags) {
    // Asked of the item's own folder: Wine's desktop cuts the names of
    // deeper items at MAX_PATH characters, and a name cut short names
    // another item.
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    STRRET name = {};
    wchar_t* text = nullptr;
    if (list == nullptr || FAILED(SHBindToParent(list, IID_IShellFolder, parent.PutVoid(), &last)) ||
        FAILED(parent->GetDisplayNameOf(last, flags, &name)) || FAILED(StrRetToStrW(&name, last, &text)))
        return std::wstring();
    TaskMemory<wchar_t> owned(text);
    return std::wstring(owned.Get());
}

HRESULT MakeStrRet(const char* text, STRRET* out) noexcept {
    if (out == nullptr) return E_POINTER;
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return E_FAIL;
    auto* wide = static_cast<wchar_t*>(CoTaskMemAlloc(sizeof(wchar_t) * length));
    if (wide == nullptr) return E_OUTOFMEMORY;
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, length);
    out->uType = STRRET_WSTR;
    out->pOleStr = wide;
    return S_OK;
}

bool StrRetToAnsi(STRRET* result, PCUIDLIST_RELATIVE item, char* buffer, std::size_t capacity) noexcept {
    if (result == nullptr || buffer == nullptr || capacity == 0) return false;
    buffer[0] = '\0';
    switch (result->uType) {
    case STRRET_WSTR: {
        bool converted = WideToAnsi(result->pOleStr, buffer, capacity);
        CoTaskMemFree(result->pOleStr);
        result->pOleStr = nullptr;
        return converted;
    }
    case STRRET_OFFSET:
        if (item == nullptr) return false;
        text::CopyTruncated(buffer, capacity, reinterpret_cast<const char*>(item) + result->uOffset);
        return true;
    case STRRET_CSTR:
        text::CopyTruncated(buffer, capacity, result->cStr);
        return true;
    default:
        return false;
    }
}

bool LoadResourceText(UINT id, char* buffer, int capacity) noexcept {
    if (buffer == nullptr || capacity <= 0) return false;
    buffer[0] = '\0';
    return LoadStringA(ProcessObjects::Instance(), id, buffer, capacity) > 0;
}

int ShowLibraryMessage(HWND owner, const char* text, UINT style) noexcept {
    char caption[64];
    LoadResourceText(IDS_MESSAGE_CAPTION, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, style);
}

int ShowLibraryMessage(HWND owner, UINT textId, UINT style) noexcept {
    char text[512];
    LoadResourceText(textId, text, sizeof text);
    return ShowLibraryMessage(owner, text, style);
}

void NotifyShellIdList(LONG event, const ItemId* first, const ItemId* second) noexcept {
    SHChangeNotify(event, SHCNF_IDLIST, first, second);
}

void NotifyShellPath(LONG event, const char* path) noexcept { SHChangeNotify(event, SHCNF_PATHA, path, nullptr); }

void FlushShellNotifications() noexcept { SHChangeNotify(0, SHCNF_FLUSH, nullptr, nullptr); }

UINT DataRootSettingProblem() noexcept {
    char dataRoot[kMaxPath];
    SettingsStore::DataRootProblem problem = SettingsStore::DataRootProblem::kNone;
    ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, sizeof dataRoot, &problem);
    switch (problem) {
    case SettingsStore::DataRootProblem::kNotFull:
        return IDS_SETTING_NOT_FULL;
    case SettingsStore::DataRootProblem::kTooLong:
        return IDS_SETTING_TOO_LONG;
    default:
        return 0;
    }
}

}  // namespace cataloom
