#include "namespace/FolderOperations.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComResult.h"
#include "namespace/ContainedPath.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

constexpr UINT kNewCategoryText = 40;          // "新しいカテゴリ"
constexpr UINT kNumberedCategoryText = 41;     // "新しいカテゴリ(%d)"

}  // namespace

HRESULT FolderOperations::ContainedPath(const ItemId* item, char* path) const noexcept {
    char dataRoot[kMaxPath];
    if (!folder_.IsFileSystemLevel() || folder_.FileSystemPath(item, path, kMaxPath) < 0 ||
        ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, sizeof dataRoot) == 0)
        return E_FAIL;
    if (IsContainedPath(dataRoot, path)) return S_OK;
    return path::Exists(path) ? E_ACCESSDENIED : E_FAIL;
}

bool FolderOperations::PathOf(const char* name, char* path) const noexcept {
    return SUCCEEDED(ContainedPath(nullptr, path)) && path::Append(path, name);
}

HRESULT FolderOperations::NewCategoryName(char* buffer, std::size_t capacity) noexcept {
    if (buffer == nullptr) return E_POINTER;
    char name[kMaxPath];
    char format[kMaxPath];
    if (!LoadResourceText(kNewCategoryText, name, sizeof name) ||
        !LoadResourceText(kNumberedCategoryText, format, sizeof format))
        return E_FAIL;
    char path[kMaxPath];
    for (int counter = 1;; ++counter) {
        if (!PathOf(name, path)) return E_FAIL;
        if (!path::Exists(path)) break;  // a file of that name counts as taken too
        wsprintfA(name, format, counter);
    }
    text::CopyTruncated(buffer, capacity, name);
    return S_OK;
}

HRESULT FolderOperations::CreateCategory(const char* name, ItemId** newItem) noexcept {
    if (newItem != nullptr) *newItem = nullptr;
    if (name == nullptr) return E_POINTER;
    // Only a name the disk keeps as given, inside this folder.
    if (!path::IsPlainName(name)) return E_INVALIDARG;
    char path[kMaxPath];
    if (!PathOf(name, path)) return E_FAIL;
    if (path::Exists(path)) return E_INVALIDARG;
    if (!CreateDirectoryA(path, nullptr)) return E_FAIL;

    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    TaskMemory<ItemId> item(ids.MakeCategory(name));
    if (item == nullptr) {
        RemoveDirectoryA(path);
        return E_OUTOFMEMORY;
    }
    if (newItem != nullptr) {
        *newItem = ids.Copy(item.Get());
        if (*newItem == nullptr) {
            RemoveDirectoryA(path);
            return E_OUTOFMEMORY;
        }
    }
    NotifyShellPath(SHCNE_MKDIR, path);
    TaskMemory<ItemId> full(folder_.ChildIdList(item.Get()));
    NotifyShellIdList(SHCNE_MKDIR, full.Get());
    FlushShellNotifications();
    ProcessObjects::Views().Notify(SHCNE_MKDIR, folder_.IdList(), item.Get(), nullptr);
    return S_OK;
}

HRESULT FolderOperations::DeleteItems(const ItemId* const* items, UINT count) noexcept {
    if (items == nullptr) return E_POINTER;
    if (count == 0) return S_OK;
    return ComFirewall([&]() -> HRESULT {
        // Only categories and catalogues: an entry's path is its whole
        // catalogue file.
        std::vector<char> paths;
        for (UINT i = 0; i < count; ++i) {
            std::uint16_t kind = ItemIdFactory::Kind(items[i]);
            if (kind != kKindCategory && kind != kKindMedia) return E_INVALIDARG;
            char path[kMaxPath];
            CATALOOM_RETURN_IF_FAILED(ContainedPath(items[i], path));
            paths.insert(paths.end(), path, path + std::strlen(path) + 1);
        }
        paths.push_back('\0');
        TaskMemory<char> list = TaskMemory<char>::Allocate(paths.size());
        if (list == nullptr) return E_OUTOFMEMORY;
        std::memcpy(list.Get(), paths.data(), paths.size());

        ProcessObjects::Reader().Release();  // the files may be the catalogue it holds
        SHFILEOPSTRUCTA operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = list.Get();
        operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
        if (SHFileOperationA(&operation) != 0) return E_FAIL;

        for (UINT i = 0; i < count; ++i) {
            TaskMemory<ItemId> full(folder_.ChildIdList(items[i]));
            NotifyShellIdList(SHCNE_RMDIR, full.Get());
        }
        NotifyShellIdList(SHCNE_UPDATEDIR, folder_.IdList());
        FlushShellNotifications();
        for (UINT i = 0; i < count; ++i)
            ProcessObjects::Views().Notify(SHCNE_RMDIR, folder_.IdList(), items[i], nullptr);
        return S_OK;
    });
}

HRESULT FolderOperations::RefreshItems(const ItemId* const* items, UINT count) noexcept {
    if (items == nullptr) return E_POINTER;
    if (count == 0) return S_OK;
    for (UINT i = 0; i < count; ++i) {
        TaskMemory<ItemId> full(folder_.ChildIdList(items[i]));
        NotifyShellIdList(SHCNE_UPDATEDIR, full.Get());
        NotifyShellIdList(SHCNE_UPDATEITEM, full.Get());
    }
    FlushShellNotifications();
    for (UINT i = 0; i < count; ++i)
        ProcessObjects::Views().Notify(SHCNE_UPDATEDIR, folder_.IdList(), items[i], nullptr);
    return S_OK;
}

}  // namespace cataloom
